#include "kit/shortcuts/name.h"

#include "kit/shortcuts/carbon_global_shortcuts.h"
#include "kit/shortcuts/storage.h"
#include "platform/prefs/user_defaults.h"

namespace kit::GlobalShortcuts {

Name::Name(std::string raw, std::optional<Shortcut> defaultValue)
    : rawValue(std::move(raw)), defaultShortcut(std::move(defaultValue)) {
  // Any object counts, so a stored Boolean false (a cleared default) is never seeded over.
  if (defaultShortcut && !platform::UserDefaults::standard().object(preferenceKey(*this))) {
    saveShortcut(*defaultShortcut, *this);
  }
  observeMenuTracking();
}

std::optional<Shortcut> Name::shortcut() const { return getShortcut(*this); }

void Name::setShortcut(std::optional<Shortcut> shortcut) const { GlobalShortcuts::setShortcut(shortcut, *this); }

}  // namespace kit::GlobalShortcuts
