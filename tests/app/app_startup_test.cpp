// The application's start-up decisions: what the command line asks for, whether the session can run the
// program, and the launch step's debug entries and first-launch setting.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/display_check.h"
#include "engine/preference_keys.h"
#include "kit/app/debug_info.h"
#include "kit/app/launch_history.h"

namespace {

using app::Command;
using Arguments = std::vector<std::string>;

TEST(CommandLineTest, ArgumentsChooseOneCommand) {
  EXPECT_EQ(app::commandFor({}), Command::runApplication);
  EXPECT_EQ(app::commandFor({"--autostart"}), Command::runApplication);
  EXPECT_EQ(app::commandFor({"--relaunch"}), Command::runApplication);
  EXPECT_EQ(app::commandFor({"clear-clipboard-formatting"}), Command::clearClipboardFormatting);
  EXPECT_EQ(app::commandFor({"clear-clipboard-formatting", "now"}), Command::unknown);
  EXPECT_EQ(app::commandFor({"remove-tracking-parameters", "https://example.com"}), Command::removeTrackingParameters);
  EXPECT_EQ(app::commandFor({"remove-tracking-parameters", "--help"}), Command::help);
  EXPECT_EQ(app::commandFor({"--version"}), Command::unknown);
  EXPECT_EQ(app::commandFor({"clear"}), Command::unknown);
  const std::string usage = app::usageText();
  for (const char* command : {"quillet clear-clipboard-formatting", "quillet remove-tracking-parameters URL...",
                              "quillet --help", "Clear Clipboard Formatting", "Remove Tracking Parameters from URLs"})
    EXPECT_NE(usage.find(command), std::string::npos) << command;
}

TEST(DisplayCheckTest, RunsOnlyOnAReachableX11DisplayAndSaysWhatWaylandCannotDo) {
  auto noDisplay = app::checkDisplay({"", "", "", false});
  EXPECT_FALSE(noDisplay.canRun);
  EXPECT_NE(noDisplay.message.find("needs an X11 display"), std::string::npos);
  EXPECT_NE(noDisplay.message.find("DISPLAY is not set"), std::string::npos);
  EXPECT_EQ(noDisplay.message.find("Wayland"), std::string::npos);

  auto waylandOnly = app::checkDisplay({"", "wayland-0", "wayland", false});
  EXPECT_FALSE(waylandOnly.canRun);
  EXPECT_NE(waylandOnly.message.find("Under Wayland"), std::string::npos);

  auto unreachable = app::checkDisplay({":42", "", "x11", false});
  EXPECT_FALSE(unreachable.canRun);
  EXPECT_NE(unreachable.message.find("DISPLAY=:42"), std::string::npos);

  auto xwayland = app::checkDisplay({":0", "wayland-0", "wayland", true});
  EXPECT_TRUE(xwayland.canRun);
  EXPECT_NE(xwayland.message.find("only what X11 (XWayland) applications copy"), std::string::npos);

  EXPECT_EQ(app::checkDisplay({":0", "", "x11", true}).message, "");
}

TEST(AppStateTest, ExcludedAppsReadAsAnEnglishList) {
  EXPECT_EQ(app::excludedAppsText({}), "");
  EXPECT_EQ(app::excludedAppsText({"firefox-esr"}), "firefox-esr");
  EXPECT_EQ(app::excludedAppsText({"a", "b"}), "a and b");
  EXPECT_EQ(app::excludedAppsText({"a", "b", "c"}), "a, b, and c");
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
