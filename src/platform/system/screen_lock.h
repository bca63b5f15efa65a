#pragma once

#include "platform/core/rx_publisher.h"

namespace platform {

// Whether the session's screen is locked: logind's LockedHint on the system bus, else the screen saver of the
// session bus (freedesktop, then GNOME). Unlocked when nobody answers. Main thread only.
class ScreenLock {
 public:
  static bool isLocked();
  // True on every lock and false on every unlock (no initial value). The buses are watched from the first
  // subscription on.
  static rx::Publisher<bool> changes();
};

}  // namespace platform
