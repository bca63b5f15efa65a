#include "app/status_item.h"

#include "platform/system/modifier_flags.h"

namespace app {

namespace {

namespace Flag = platform::ModifierFlag;

constexpr uint64_t ignoredModifiers = Flag::capsLock | Flag::numericPad | Flag::function;

}  // namespace

StatusItemClickResult routeStatusItemClick(StatusItemClick click, uint64_t modifierFlags) {
  const uint64_t modifiers = modifierFlags & Flag::deviceIndependentMask & ~ignoredModifiers;
  switch (click) {
    case StatusItemClick::secondaryButtonUp:
      return StatusItemClickResult::primaryAction;
    case StatusItemClick::primaryButton:
      if (modifiers == Flag::control) return StatusItemClickResult::primaryAction;
      if ((modifiers & Flag::control) != 0) return StatusItemClickResult::nothing;
      return StatusItemClickResult::showMenu;
    case StatusItemClick::secondaryButtonDown:
    case StatusItemClick::other:
      break;
  }
  return StatusItemClickResult::nothing;
}

}  // namespace app
