#include "base/Heap.h"

#include <malloc.h>

namespace menvaro {

void KeepFreedHeapMemory() {
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

}  // namespace menvaro
