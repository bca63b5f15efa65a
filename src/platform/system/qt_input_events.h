#pragma once

#include <Qt>
#include <cstdint>
#include <optional>

#include "platform/system/input_event.h"

class QEvent;

namespace platform {

// The modifier flags of Qt's modifiers (Ctrl is Command, Meta is Control, Alt is Option) and back.
uint64_t flagsFromQt(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtFromFlags(uint64_t flags);

// The event of a Qt key press or release, or of a mouse button press or release; none for other events. A key's
// virtual key code comes from its X keycode, else (an event made by a program) from its Qt key.
std::optional<Event> eventFromQt(const QEvent& event);

// The virtual key code of a Qt key, for key events that carry no X keycode. Letters, digits and punctuation go by
// their place on a US keyboard; `keypad` picks the keypad's keys.
std::optional<uint16_t> virtualKeyForQtKey(int qtKey, bool keypad);
// The Qt key of a key whose Qt key is not the character it types (Return, the arrows, F1 to F20 ...); none for
// the others.
std::optional<Qt::Key> specialQtKeyForVirtualKey(int64_t virtualKeyCode);

// Whether a Qt key is a modifier or lock key, which changes the modifiers rather than typing.
bool isModifierKey(int qtKey);

}  // namespace platform
