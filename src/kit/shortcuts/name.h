#pragma once

#include <functional>
#include <optional>
#include <string>

#include "kit/shortcuts/shortcut.h"

namespace kit::GlobalShortcuts {

// A named shortcut slot. Equal names have equal raw values, whatever their defaults. Its members are defined
// with the storage (storage.cpp), which this header does not include.
struct Name {
  // Seeds the default into the preferences when nothing at all is stored under the name (a cleared default
  // stays cleared), then makes sure menu tracking is observed.
  explicit Name(std::string rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt);

  std::string rawValue;
  std::optional<Shortcut> defaultShortcut;

  // The stored shortcut; setting none clears it.
  std::optional<Shortcut> shortcut() const;
  void setShortcut(std::optional<Shortcut> shortcut) const;

  friend bool operator==(const Name& a, const Name& b) { return a.rawValue == b.rawValue; }
};

}  // namespace kit::GlobalShortcuts

template <>
struct std::hash<kit::GlobalShortcuts::Name> {
  std::size_t operator()(const kit::GlobalShortcuts::Name& name) const noexcept {
    return std::hash<std::string>{}(name.rawValue);
  }
};
