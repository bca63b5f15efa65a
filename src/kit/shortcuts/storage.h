#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "kit/shortcuts/name.h"
#include "kit/shortcuts/shortcut.h"

namespace kit::GlobalShortcuts {

// Posted after every change of a name's stored shortcut; user info "name" holds the Name.
inline constexpr const char* shortcutByNameDidChange = "GlobalShortcuts_shortcutByNameDidChange";

// "GlobalShortcuts_" + the raw value: the preference key of a name.
std::string preferenceKey(const Name& name);

std::optional<Shortcut> getShortcut(const Name& name);
void setShortcut(std::optional<Shortcut> shortcut, const Name& name);
void saveShortcut(const Shortcut& shortcut, const Name& name);
// Each name back to its default, or to nothing.
void reset(const std::vector<Name>& names);
std::vector<Shortcut> storedShortcuts(const std::vector<Name>& names);
void postShortcutByNameDidChange(const Name& name);

// The combinations we asked the hot-key layer to hold and have not let go since. Main-thread state.
std::unordered_set<Shortcut>& registeredShortcuts();

// Registers the combination with the dispatch callbacks unless it is already held; a refused registration is
// not recorded, so the next attempt tries again.
void registerIfNeeded(const Shortcut& shortcut);
// Lets go of the combination unless a name with handlers or streams, other than `changing` (whose stored
// shortcut is being replaced), still stores it.
void unregisterIfUnused(const Shortcut& shortcut, const std::optional<Name>& changing = std::nullopt);

}  // namespace kit::GlobalShortcuts
