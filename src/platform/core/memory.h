#pragma once

namespace platform {

// Gives the memory that the program freed back to the system, where the allocator would keep it for later
// allocations: after work on a large input, which frees tens of megabytes at once.
void returnFreedMemoryToSystem();

}  // namespace platform
