#pragma once
// Giving the memory of freed pictures back to the system, which the allocator keeps otherwise.
// Any thread.

namespace orvane::ProcessMemory {

// Returns the free pages of every heap to the system (after a large working set, such as a grid's
// players, was let go). Takes milliseconds: not on the interface thread. (Fixing the allocator's
// mapping threshold instead returned more, but mapping every picture anew cost the grid a tenth
// of its frames.)
void releaseFreedMemory();

} // namespace orvane::ProcessMemory
