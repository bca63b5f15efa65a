#pragma once

#include <thread>

namespace platform {

// Waits for `thread` to end; when this is that thread (stopped from its own work), lets it go instead, and it ends
// once that work returns.
inline void joinUnlessCurrent(std::thread& thread) {
  if (thread.get_id() == std::this_thread::get_id())
    thread.detach();
  else
    thread.join();
}

}  // namespace platform
