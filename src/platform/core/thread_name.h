#pragma once

namespace platform {

// Names the calling thread, as sanitizer, profiler and debugger reports and /proc/self/task/*/comm show it. The
// system keeps at most 15 bytes; a longer name is cut there.
void nameThisThread(const char* name);

}  // namespace platform
