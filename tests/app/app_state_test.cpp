#include "app/app_state.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "engine/preference_keys.h"
#include "kit/app/debug_info.h"
#include "kit/app/launch_history.h"

namespace {

TEST(AppStateTest, ExcludedAppsReadAsAListInTheLocalesWords) {
  EXPECT_EQ(app::excludedAppsText({}), "");
  EXPECT_EQ(app::excludedAppsText({"firefox-esr"}), "firefox-esr");
  for (const QLocale& english : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates)}) {
    QLocale::setDefault(english);
    EXPECT_EQ(app::excludedAppsText({"a", "b"}), "a and b");
    EXPECT_EQ(app::excludedAppsText({"a", "b", "c"}), "a, b, and c");
  }
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(app::excludedAppsText({"a", "b", "c"}), "a, b und c");
  QLocale::setDefault(QLocale::c());
}

TEST(AppStateTest, LaunchStepRegistersItsEntriesAndSetsTheFrontmostAppOnTheFirstLaunch) {
  auto& suite = platform::UserDefaults::standard();
  suite.set("excludedApps", platform::PlistValue(platform::PlistArray{platform::PlistValue("org.gnome.TextEditor"),
                                                                      platform::PlistValue("firefox-esr")}));
  ASSERT_EQ(kit::LaunchFacts::launchCount(), 1);
  app::AppState::shared().didLaunch();
  EXPECT_TRUE(kit::Preferences::get(kit::Preferences::Keys::_forceUsingFrontmostApp()));

  const std::string compact = kit::DebugInfo::debugInfo();
  for (const char* line : {"\nSetting - automaticallyClearFormatting: true\n", "\nSetting - preserveLinks: false\n",
                           "\nSetting - _forceUsingFrontmostApp: true\n",
                           "\nSetting - excludedApps: org.gnome.TextEditor and firefox-esr\n",
                           "\nHas Shortcut - clearFormattingAndPaste: false"})
    EXPECT_NE(compact.find(line), std::string::npos) << line << "\nin:\n" << compact;

  suite.set("GlobalShortcuts_clearFormatting", platform::PlistValue(R"({"carbonKeyCode":9,"carbonModifiers":768})"));
  auto custom = kit::DebugInfo::customDebugInfo();
  EXPECT_EQ(custom,
            (std::map<std::string, std::string>{{"Has Shortcut - clearFormattingAndPaste", "true"},
                                                {"Has Shortcut - copyAndClearFormatting", "false"},
                                                {"Setting - excludedApps", "org.gnome.TextEditor and firefox-esr"}}));
}

}  // namespace
