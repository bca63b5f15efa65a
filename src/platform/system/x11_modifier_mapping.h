#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <map>

namespace platform {

// Which keys the X server treats as modifiers, read once from a connection.
struct X11ModifierMapping {
  uint16_t superMask = 0x40;                 // the modifier bit Super_L/Super_R are mapped to (usually Mod4)
  std::map<uint8_t, uint16_t> modifierBits;  // keycode of a modifier key -> its modifier bit

  static X11ModifierMapping read(xcb_connection_t* connection);
};

}  // namespace platform
