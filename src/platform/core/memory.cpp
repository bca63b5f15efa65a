#include "platform/core/memory.h"

#include <malloc.h>

namespace platform {

void returnFreedMemoryToSystem() { malloc_trim(0); }

void mapLargeBlocksApart() {
  // NOLINTNEXTLINE(concurrency-mt-unsafe): glibc's mallopt takes the allocator's lock
  static const bool set = mallopt(M_MMAP_THRESHOLD, 1 << 20) != 0;
  (void)set;
}

}  // namespace platform
