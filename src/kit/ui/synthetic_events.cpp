#include "kit/ui/synthetic_events.h"

#include <time.h>

#include <Qt>

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

const std::set<int>& functionKeys() {
  static const std::set<int> keys = [] {
    std::set<int> all;
    for (int key = Qt::Key_F1; key <= Qt::Key_F35; ++key) all.insert(key);
    return all;
  }();
  return keys;
}

const std::string& functionKeyGlobeSymbol() {
  static const std::string symbol = "\U0001F310\uFE0E";
  return symbol;
}

}  // namespace kit
