#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system/geometry.h"

namespace platform {

// Event type numbers, as the rest of the program stores and masks them.
namespace EventType {
inline constexpr uint8_t leftMouseDown = 1, leftMouseUp = 2, rightMouseDown = 3, rightMouseUp = 4, mouseMoved = 5,
                         leftMouseDragged = 6, rightMouseDragged = 7, mouseEntered = 8, mouseExited = 9, keyDown = 10,
                         keyUp = 11, flagsChanged = 12, scrollWheel = 22, otherMouseDown = 25, otherMouseUp = 26,
                         otherMouseDragged = 27;
}  // namespace EventType

using EventMask = uint64_t;
constexpr EventMask eventMask(uint8_t type) { return type < 64 ? (EventMask{1} << type) : 0; }
// Types of 64 and above count as in every mask.
constexpr bool maskContains(EventMask mask, uint8_t type) { return type >= 64 || (mask & eventMask(type)) != 0; }

struct Event {
  uint8_t type = 0;
  uint64_t modifierFlags = 0;
  std::optional<uint16_t> keyCode;  // virtual key code, where known
  uint32_t nativeKeyCode = 0;       // X keycode of key events
  std::string characters, charactersIgnoringModifiers;
  bool isARepeat = false;
  PointF location;
  double timestamp = 0;  // seconds
};

}  // namespace platform
