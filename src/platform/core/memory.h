#pragma once

namespace platform {

// Gives the memory that the program freed back to the system, where the allocator would keep it for later
// allocations: after work on a large input, which frees tens of megabytes at once.
void returnFreedMemoryToSystem();

// From now on, every block of a mebibyte or more is mapped apart from the heap, so that it goes back to the system
// the moment it is freed: work on a large input then holds only what it still uses, instead of also the large
// blocks it freed and the allocator keeps for later (by default the allocator raises this bound as large blocks
// come and go, up to 32 MiB). Safe to call from any thread, any number of times.
void mapLargeBlocksApart();

}  // namespace platform
