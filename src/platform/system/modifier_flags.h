#pragma once

#include <cstdint>

namespace platform {

// Modifier flags of an event, with the values the rest of the program stores and compares. Command is Ctrl,
// Control is Super, Option is Alt.
namespace ModifierFlag {
inline constexpr uint64_t capsLock = 0x10000;
inline constexpr uint64_t shift = 0x20000;
inline constexpr uint64_t control = 0x40000;
inline constexpr uint64_t option = 0x80000;
inline constexpr uint64_t command = 0x100000;
inline constexpr uint64_t numericPad = 0x200000;
inline constexpr uint64_t function = 0x800000;
inline constexpr uint64_t deviceIndependentMask = 0xFFFF0000;
}  // namespace ModifierFlag

// X core modifier bits.
namespace XModifier {
inline constexpr uint16_t shift = 0x01;
inline constexpr uint16_t lock = 0x02;
inline constexpr uint16_t control = 0x04;
inline constexpr uint16_t mod1 = 0x08;
inline constexpr uint16_t mod4 = 0x40;
}  // namespace XModifier

// Flags of an X modifier state. `superMask` is the modifier bit that Super_L/Super_R are mapped to.
// NumLock and AltGr map to nothing.
uint64_t modifierFlagsFromXState(uint16_t state, uint16_t superMask = XModifier::mod4);

}  // namespace platform
