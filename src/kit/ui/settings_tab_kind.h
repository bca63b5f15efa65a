#pragma once

#include <QIcon>
#include <QString>
#include <cstdint>
#include <string>

namespace kit {

// The kinds of tab a settings window may have, each with its title and icon.
enum class SettingsTabKind : uint8_t {
  general,
  advanced,
  shortcuts,
  appearance,
  menuBar,
  menu,
  notifications,
  calendar,
  calendars,
  rules,
  browsers,
  timeZones,
  extras,
  exclude,
};
inline constexpr int settingsTabKindCount = 14;

struct SettingsTabLabel {
  // A localisation key.
  std::string title;
  // The symbol the tab stands for, and the desktop icon that shows it where the theme has one.
  std::string symbolName;
  const char* themeIconName;
};

SettingsTabLabel settingsTabLabel(SettingsTabKind kind);

// What the tab of a kind shows: its title looked up as a localisation key (the key itself when there is no
// translation), and its symbol, the theme's icon where there is one and our own drawing otherwise.
struct Label {
  QString title;
  QIcon icon;
};
Label label(SettingsTabKind kind);

}  // namespace kit
