#include "platform/core/memory.h"

#include <malloc.h>

namespace platform {

void returnFreedMemoryToSystem() { malloc_trim(0); }

}  // namespace platform
