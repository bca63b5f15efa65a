#pragma once

#include <functional>

namespace platform {

// Whether the session's screen is locked: logind's LockedHint on the system bus, else the screen saver of the
// session bus (freedesktop, then GNOME). Unlocked when nobody answers. Main thread only.
class ScreenLock {
 public:
  static bool isLocked();
  // Calls `handler` with true on every lock and false on every unlock (no initial value).
  static int addChangeHandler(std::function<void(bool locked)> handler);
  static void removeChangeHandler(int id);
};

}  // namespace platform
