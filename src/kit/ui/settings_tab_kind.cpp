#include "kit/ui/settings_tab_kind.h"

#include "kit/foundation/text_from_key.h"
#include "kit/ui/symbol_icons.h"

namespace kit {

SettingsTabLabel settingsTabLabel(SettingsTabKind kind) {
  switch (kind) {
    case SettingsTabKind::general:
      return {"General", "gearshape", "preferences-system"};
    case SettingsTabKind::advanced:
      return {"Advanced", "gearshape.2", "preferences-other"};
    case SettingsTabKind::shortcuts:
      return {"Shortcuts", "command", "preferences-desktop-keyboard-shortcuts"};
    case SettingsTabKind::appearance:
      return {"Appearance", "paintbrush.pointed", "preferences-desktop-theme"};
    case SettingsTabKind::menuBar:
      return {"Menu Bar", "menubar.rectangle", "preferences-desktop"};
    case SettingsTabKind::menu:
      return {"Menu", "filemenu.and.selection", "open-menu"};
    case SettingsTabKind::notifications:
      return {"Notifications", "bell.badge", "preferences-desktop-notification"};
    case SettingsTabKind::calendar:
      return {"Calendar", "calendar", "x-office-calendar"};
    case SettingsTabKind::calendars:
      return {"Calendars", "calendar", "x-office-calendar"};
    case SettingsTabKind::rules:
      return {"Rules", "arrow.triangle.branch", "view-filter"};
    case SettingsTabKind::browsers:
      return {"Browsers", "globe", "applications-internet"};
    case SettingsTabKind::timeZones:
      return {"Time Zones", "globe", "applications-internet"};
    case SettingsTabKind::extras:
      return {"Extras", "sparkles", "sparkles"};
    case SettingsTabKind::exclude:
      return {"Exclude", "nosign", "action-unavailable"};
  }
  return {};
}

Label label(SettingsTabKind kind) {
  const SettingsTabLabel row = settingsTabLabel(kind);
  // The sparkles are always our own: no theme names such an icon.
  QIcon icon =
      kind == SettingsTabKind::extras ? symbolIcon(row.symbolName) : themeIcon(row.themeIconName, row.symbolName);
  return {QString::fromStdString(Text::fromKey(row.title)), std::move(icon)};
}

}  // namespace kit
