#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "platform/system/input_event.h"

namespace kit {

// A mouse event of the given type (EventType) for code that needs an event when none is being handled: at
// (0, 0), with the modifier keys held right now and stamped with the raw monotonic clock.
platform::Event mouseEvent(uint8_t type);

// The keys F1 to F35 (Qt key codes).
const std::set<int>& functionKeys();

// The globe that stands for the Fn modifier in shortcut texts, in its text presentation (U+1F310 U+FE0E).
const std::string& functionKeyGlobeSymbol();

}  // namespace kit
