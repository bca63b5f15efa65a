#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "platform/system/rect.h"

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

// X buttons 4 to 7 are steps of the scroll wheel.
constexpr bool isWheelButton(uint32_t button) { return button >= 4 && button <= 7; }
// The type of a press or release of X button `button`: 1 is the left button, 3 the right one, any other "other".
constexpr uint8_t buttonEventType(uint32_t button, bool down) {
  if (button == 1) return down ? EventType::leftMouseDown : EventType::leftMouseUp;
  if (button == 3) return down ? EventType::rightMouseDown : EventType::rightMouseUp;
  return down ? EventType::otherMouseDown : EventType::otherMouseUp;
}
// The type of a pointer motion while the X buttons in `held` are down: a drag of the left, right or another button,
// or a plain move.
inline uint8_t motionEventType(const std::set<uint32_t>& held) {
  if (held.count(1) != 0) return EventType::leftMouseDragged;
  if (held.count(3) != 0) return EventType::rightMouseDragged;
  return held.empty() ? EventType::mouseMoved : EventType::otherMouseDragged;
}

struct Event {
  uint8_t type = 0;
  uint64_t modifierFlags = 0;
  std::optional<uint16_t> keyCode;  // virtual key code, where known
  uint32_t nativeKeyCode = 0;       // X keycode of key events
  // Of key events made from the toolkit's: the toolkit's key (Qt::Key) when it types no character (F1 to F35, the
  // arrows, Tab, Escape, Backspace, Delete ...), else 0.
  int specialKey = 0;
  std::string characters, charactersIgnoringModifiers;
  bool isARepeat = false;
  PointF location;
  double timestamp = 0;  // seconds
};

}  // namespace platform
