#include "kit/ui/synthetic_events.h"

#include <time.h>

#include "platform/system/input_monitors.h"

namespace kit {

platform::Event mouseEvent(uint8_t type) {
  platform::Event event;
  event.type = type;
  event.modifierFlags = platform::InputMonitors::currentModifierFlags();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &now);
  event.timestamp = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
  return event;
}

}  // namespace kit
