#include "platform/core/memory.h"

#include <malloc.h>

namespace platform {

void returnFreedMemoryToSystem() { malloc_trim(0); }

void mapLargeBlocksApart() {
  static const bool set = mallopt(M_MMAP_THRESHOLD, 1 << 20) != 0;
  (void)set;
}

}  // namespace platform
