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

// The event of a Qt key press or release, or of a mouse button press or release; none for other events.
std::optional<Event> eventFromQt(const QEvent& event);

}  // namespace platform
