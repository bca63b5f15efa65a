#include "platform/system/modifier_flags.h"

namespace platform {

uint64_t modifierFlagsFromXState(uint16_t state, uint16_t superMask) {
  uint64_t flags = 0;
  if ((state & XModifier::lock) != 0) flags |= ModifierFlag::capsLock;
  if ((state & XModifier::shift) != 0) flags |= ModifierFlag::shift;
  if (superMask != 0 && (state & superMask) != 0) flags |= ModifierFlag::control;
  if ((state & XModifier::mod1) != 0) flags |= ModifierFlag::option;
  if ((state & XModifier::control) != 0) flags |= ModifierFlag::command;
  return flags;
}

}  // namespace platform
