#include "kit/app/launch_chord.h"

#include "platform/system/modifier_flags.h"

namespace kit {

bool LaunchChord::isHeld(uint64_t chord, uint64_t modifierFlags) {
  using namespace platform::ModifierFlag;
  const uint64_t relevant = modifierFlags & deviceIndependentMask & ~(capsLock | numericPad | function);
  return relevant == chord;
}

}  // namespace kit
