#pragma once

#include <cstdint>

namespace kit {

// Modifier chords held while the program starts. A chord holds when the held modifiers, without Caps Lock,
// the numeric pad and Function, are exactly its keys (Control is Super here, Option is Alt, Command is Ctrl).
namespace LaunchChord {
inline constexpr uint64_t userDebugWindow = 0xe0000;  // Shift + Super + Alt
inline constexpr uint64_t dataReset = 0x1e0000;       // Shift + Super + Alt + Ctrl
inline constexpr uint64_t debugMenu = 0x60000;        // Shift + Super
bool isHeld(uint64_t chord, uint64_t modifierFlags);
}  // namespace LaunchChord

}  // namespace kit
