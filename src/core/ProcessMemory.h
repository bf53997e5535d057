#pragma once
// Giving freed pictures' memory back to the system, which the allocator's defaults keep for ever.
// configureAllocator: once at the start of main, before other threads; releaseFreedMemory: any thread.

namespace orvane::ProcessMemory {

// Blocks from this size on are mapped on their own and unmapped when freed (about half a
// 1448 × 938 picture: every decoded picture and every decoder's pool).
inline constexpr int separatelyMappedBytes = 1024 * 1024;

// Fixes the allocator's mapping threshold at separatelyMappedBytes. By default it rises to the
// largest block freed so far (up to 32 MB), after which pictures come from the heaps of the threads
// that decoded them and stay there as free space once their player is gone.
void configureAllocator();

// Returns the free pages of every heap to the system (after a large working set, such as a grid's
// players, was let go). Takes milliseconds: not on the interface thread.
void releaseFreedMemory();

} // namespace orvane::ProcessMemory
