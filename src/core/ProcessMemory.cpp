#include "ProcessMemory.h"

#include <malloc.h>

namespace orvane::ProcessMemory {

namespace {
constexpr int heapCount = 2;
}

void limitHeaps() {
    mallopt(M_ARENA_MAX, heapCount);
}

void releaseFreedMemory() {
    malloc_trim(0);
}

} // namespace orvane::ProcessMemory
