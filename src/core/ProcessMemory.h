#pragma once
// Giving the memory of freed pictures back to the system, which the allocator keeps otherwise.
// Any thread.

namespace orvane::ProcessMemory {

// Keeps the allocator to a few heaps for the whole process. By default every thread that
// allocates may get a heap of its own (up to eight per core), and each keeps what its thread
// freed: decoders come and go with every event opened, so a long session grew by what dozens of
// heaps held. Pictures come from pools, so threads sharing heaps hardly wait on each other.
// Call first thing in main, before threads start.
void limitHeaps();

// Returns the free pages of every heap to the system (after a large working set, such as a grid's
// players, was let go). Takes milliseconds: not on the interface thread. (Fixing the allocator's
// mapping threshold instead returned more, but mapping every picture anew cost the grid a tenth
// of its frames.)
void releaseFreedMemory();

} // namespace orvane::ProcessMemory
