#pragma once

#include <cstdint>

#include "platform/system/input_event.h"

namespace kit {

// A mouse event of the given type (EventType) for code that needs an event when none is being handled: at
// (0, 0), with the modifier keys held right now and stamped with the raw monotonic clock.
platform::Event mouseEvent(uint8_t type);

}  // namespace kit
