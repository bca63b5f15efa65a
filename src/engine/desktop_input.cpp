#include "engine/desktop_input.h"

#include <utility>

#include "kit/foundation/log.h"
#include "platform/system/input_event.h"
#include "platform/system/input_monitors.h"

namespace engine {

DesktopInput& DesktopInput::shared() {
  static DesktopInput* input = new DesktopInput;  // never released
  return *input;
}

std::optional<uint64_t> DesktopInput::pressesSoFar() {
  auto presses = platform::InputMonitors::pressesSoFar();
  if (!presses && !std::exchange(toldUnseen_, true)) {
    auto reason = platform::InputMonitors::globalMonitorUnavailableReason(
        platform::eventMask(platform::EventType::keyDown) | platform::eventMask(platform::EventType::leftMouseDown));
    kit::log({"A copy offered again is told from a person's copy by time alone: " +
              reason.value_or("presses are not seen")});
  }
  return presses;
}

bool DesktopInput::keyHeld() { return platform::InputMonitors::isNonModifierKeyHeld(); }

}  // namespace engine
