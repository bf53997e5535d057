#include "ProcessMemory.h"

#include <malloc.h>

namespace orvane::ProcessMemory {

void configureAllocator() {
    mallopt(M_MMAP_THRESHOLD, separatelyMappedBytes);
}

void releaseFreedMemory() {
    malloc_trim(0);
}

} // namespace orvane::ProcessMemory
