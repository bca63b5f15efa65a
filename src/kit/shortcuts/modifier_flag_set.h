#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace kit {

// A set of modifier flags of an event (the flag values of platform/system/modifier_flags.h). Its text is its symbolic
// description: Command with Shift prints "Ctrl+Shift+".
struct ModifierFlags {
  uint64_t rawValue = 0;

  constexpr ModifierFlags() = default;
  // Events and the platform carry flags as their raw value.
  constexpr ModifierFlags(uint64_t raw) : rawValue(raw) {}  // NOLINT(google-explicit-constructor)

  constexpr bool contains(ModifierFlags flags) const { return (rawValue & flags.rawValue) == flags.rawValue; }
  constexpr bool empty() const { return rawValue == 0; }
  friend constexpr ModifierFlags operator|(ModifierFlags a, ModifierFlags b) { return a.rawValue | b.rawValue; }
  friend constexpr bool operator==(ModifierFlags, ModifierFlags) = default;

  std::string description() const;
};

std::ostream& operator<<(std::ostream& out, ModifierFlags flags);

// The modifiers as text, in the fixed order Ctrl+, Alt+, Shift+, Super+, then the globe of the Fn key and "+" (e.g.
// "Ctrl+Shift+"). Other flags add nothing.
std::string symbolicDescription(ModifierFlags flags);

// The globe that stands for the Fn modifier in shortcut texts, in its text presentation (U+1F310 U+FE0E).
const std::string& functionKeyGlobeSymbol();

}  // namespace kit
