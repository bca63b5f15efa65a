#pragma once

#include <cstdint>
#include <functional>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kit/foundation/hashing.h"
#include "kit/shortcuts/key_code.h"
#include "kit/shortcuts/modifier_flag_set.h"
#include "platform/system/input_event.h"

namespace kit {

// Modifier flags to the modifier bits of stored shortcuts (command 256, shift 512, option 2048, control 4096), and
// back. Every other flag or bit is dropped.
uint32_t carbonModifiers(ModifierFlags modifierFlags);
ModifierFlags modifierFlagsFromCarbon(int64_t carbonModifiers);

}  // namespace kit

namespace kit::GlobalShortcuts {

enum class EventType { keyDown, keyUp };

struct Shortcut {
  int64_t carbonKeyCode = 0;
  int64_t carbonModifiers = 0;

  // Keeps only the four modifier bits.
  static Shortcut make(int64_t carbonKeyCode, int64_t carbonModifiers);
  static Shortcut make(Key key, ModifierFlags modifierFlags);
  // Key-down and key-up events only.
  static std::optional<Shortcut> fromEvent(const platform::Event& event);

  Key key() const { return Key(carbonKeyCode); }
  ModifierFlags modifiers() const { return modifierFlagsFromCarbon(carbonModifiers); }

  friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

// Coded as {"carbonKeyCode":9,"carbonModifiers":768}, alone, as a member and in arrays. Decoding takes any member
// order, ignores other members and needs both as integers (9.0 is 9); values outside the range the hot-key layer
// can take (0 to 4294967295) are refused.
void to_json(nlohmann::ordered_json& json, const Shortcut& shortcut);
// The stored JSON text.
std::string encodeShortcut(const Shortcut& shortcut);
// None for text that is no stored shortcut. Never throws.
std::optional<Shortcut> decodeShortcut(std::string_view json);

}  // namespace kit::GlobalShortcuts

namespace kit {
template <class T>
struct JsonDecoding;
template <>
struct JsonDecoding<GlobalShortcuts::Shortcut> {
  static GlobalShortcuts::Shortcut decode(const nlohmann::ordered_json& json, const std::vector<std::string>& path);
};
}  // namespace kit

template <>
struct std::hash<kit::GlobalShortcuts::Shortcut> {
  std::size_t operator()(const kit::GlobalShortcuts::Shortcut& s) const noexcept {
    std::size_t seed = std::hash<int64_t>{}(s.carbonKeyCode);
    kit::hashCombine(seed, std::hash<int64_t>{}(s.carbonModifiers));
    return seed;
  }
};
