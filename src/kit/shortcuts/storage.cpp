#include "kit/shortcuts/storage.h"

#include <variant>

#include "kit/shortcuts/menu_tracking.h"
#include "platform/core/notification_center.h"
#include "platform/core/rx_subjects.h"
#include "platform/prefs/user_defaults.h"

namespace kit::GlobalShortcuts {

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standard(); }

void store(const Shortcut& shortcut, const Name& name) {
  defaults().set(preferenceKey(name), encodeShortcut(shortcut));
}

const platform::rx::PassthroughSubject<StoredShortcutChange>& changes() {
  static const auto* subject = new platform::rx::PassthroughSubject<StoredShortcutChange>();
  return *subject;
}

// Tells the followers of the storage, then everyone else.
void announce(const Name& name, std::optional<Shortcut> oldValue, std::optional<Shortcut> newValue) {
  changes().send({name, oldValue, newValue});
  postShortcutByNameDidChange(name);
}

}  // namespace

std::string preferenceKey(const Name& name) { return "GlobalShortcuts_" + name.rawValue; }

platform::rx::Publisher<StoredShortcutChange> storedShortcutChanges() { return changes().publisher(); }

std::optional<Shortcut> getShortcut(const Name& name) {
  auto value = defaults().object(preferenceKey(name));
  if (!value) return std::nullopt;
  const auto* text = value->get<std::string>();
  if (text == nullptr) return std::nullopt;  // the Boolean false of a cleared default, or anything else
  return decodeShortcut(*text);
}

Binding<std::optional<Shortcut>> binding(const Name& name) {
  return {[name] { return getShortcut(name); },
          [name](const std::optional<Shortcut>& shortcut) { setShortcut(shortcut, name); }};
}

void saveShortcut(const Shortcut& shortcut, const Name& name) {
  auto old = getShortcut(name);
  store(shortcut, name);
  announce(name, old, shortcut);
}

void setShortcut(std::optional<Shortcut> shortcut, const Name& name) {
  if (shortcut) {
    saveShortcut(*shortcut, name);
    return;
  }
  auto old = getShortcut(name);
  if (!old) return;
  if (name.defaultShortcut) {
    defaults().set(preferenceKey(name), false);
  } else {
    defaults().remove(preferenceKey(name));
  }
  announce(name, old, std::nullopt);
}

void reset(const std::vector<Name>& names) {
  for (const Name& name : names) {
    if (name.defaultShortcut) {
      saveShortcut(*name.defaultShortcut, name);
      continue;
    }
    auto old = getShortcut(name);
    if (!old) continue;
    defaults().remove(preferenceKey(name));
    announce(name, old, std::nullopt);
  }
}

std::vector<Shortcut> storedShortcuts(const std::vector<Name>& names) {
  std::vector<Shortcut> shortcuts;
  for (const Name& name : names) {
    if (auto shortcut = getShortcut(name)) shortcuts.push_back(*shortcut);
  }
  return shortcuts;
}

void postShortcutByNameDidChange(const Name& name) {
  platform::NotificationCenter::defaultCenter().post({shortcutByNameDidChange, {{"name", name}}});
}

// A name seeds its default and reads and writes its shortcut here, so that names stay plain values below the
// storage.
Name::Name(std::string raw, std::optional<Shortcut> defaultValue)
    : rawValue(std::move(raw)), defaultShortcut(defaultValue) {
  // Any object counts, so a stored Boolean false (a cleared default) is never seeded over.
  if (defaultShortcut && !platform::UserDefaults::standard().object(preferenceKey(*this))) {
    saveShortcut(*defaultShortcut, *this);
  }
  observeMenuTracking();
}

std::optional<Shortcut> Name::shortcut() const { return getShortcut(*this); }

void Name::setShortcut(std::optional<Shortcut> shortcut) const { GlobalShortcuts::setShortcut(shortcut, *this); }

}  // namespace kit::GlobalShortcuts
