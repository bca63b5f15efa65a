#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kit/foundation/binding.h"
#include "kit/shortcuts/name.h"
#include "kit/shortcuts/shortcut.h"
#include "platform/core/rx_publisher.h"

namespace kit::GlobalShortcuts {

// Posted after every change of a name's stored shortcut; user info "name" holds the Name.
inline constexpr const char* shortcutByNameDidChange = "GlobalShortcuts_shortcutByNameDidChange";

// A change of a name's stored shortcut: what it stored before and stores now (a save of the same shortcut counts).
struct StoredShortcutChange {
  Name name;
  std::optional<Shortcut> oldValue, newValue;
};
// Sends every change once it is stored, on the thread that made it, before shortcutByNameDidChange is posted. The
// storage only stores and tells: what holds hot keys follows it through this.
platform::rx::Publisher<StoredShortcutChange> storedShortcutChanges();

// "GlobalShortcuts_" + the raw value: the preference key of a name.
std::string preferenceKey(const Name& name);

std::optional<Shortcut> getShortcut(const Name& name);
void setShortcut(std::optional<Shortcut> shortcut, const Name& name);
// The name's shortcut as a two-way value: reading it gets the stored shortcut, writing it sets it (none clears).
Binding<std::optional<Shortcut>> binding(const Name& name);
void saveShortcut(const Shortcut& shortcut, const Name& name);
// Each name back to its default, or to nothing.
void reset(const std::vector<Name>& names);
std::vector<Shortcut> storedShortcuts(const std::vector<Name>& names);
void postShortcutByNameDidChange(const Name& name);

}  // namespace kit::GlobalShortcuts
