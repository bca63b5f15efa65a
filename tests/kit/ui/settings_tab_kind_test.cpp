#include "kit/ui/settings_tab_kind.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kit {
namespace {

TEST(SettingsTabKindTest, FourteenKindsWithTitlesAndSymbols) {
  std::vector<std::string> titles;
  for (int value = 0; value < settingsTabKindCount; ++value)
    titles.push_back(settingsTabLabel(static_cast<SettingsTabKind>(value)).title);
  EXPECT_EQ(titles, (std::vector<std::string>{"General", "Advanced", "Shortcuts", "Appearance", "Menu Bar", "Menu",
                                              "Notifications", "Calendar", "Calendars", "Rules", "Browsers",
                                              "Time Zones", "Extras", "Exclude"}));
  EXPECT_EQ(settingsTabLabel(SettingsTabKind::advanced).symbolName, "gearshape.2");
  EXPECT_EQ(settingsTabLabel(SettingsTabKind::calendars).symbolName, "calendar");
  for (auto kind :
       {SettingsTabKind::general, SettingsTabKind::shortcuts, SettingsTabKind::exclude, SettingsTabKind::extras})
    EXPECT_FALSE(settingsTabIcon(kind).pixmap(24, 24).isNull());
}

}  // namespace
}  // namespace kit
