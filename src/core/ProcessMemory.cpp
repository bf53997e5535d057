#include "ProcessMemory.h"

#include <malloc.h>

namespace orvane::ProcessMemory {

void releaseFreedMemory() {
    malloc_trim(0);
}

} // namespace orvane::ProcessMemory
