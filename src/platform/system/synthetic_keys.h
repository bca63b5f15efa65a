#pragma once

#include <cstdint>

namespace platform {

// Key chords posted to the focused application through the XTEST extension, on the connection that holds our
// hot-key grabs so that the server sees ungrab, fake input and re-grab in that order. Main thread only.
class SyntheticKeys {
 public:
  // An X11 session whose server offers XTEST.
  static bool canPost();
  // Ctrl plus the key: virtual key 8 is the key that types "c" and 9 the one that types "v" in the current
  // layout, other keys go by position. Modifiers the user still holds are released first, so the target
  // receives exactly the chord; our own grabs are lifted meanwhile so that they cannot catch it.
  static void postCommandChord(uint16_t virtualKeyCode);
};

}  // namespace platform
