#include "kit/app/debug_info.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iostream>
#include <regex>

#include "doubles/fake_workspace.h"
#include "kit/app/app_facts.h"
#include "kit/app/duration_formatter.h"
#include "kit/app/keyboard_input_source.h"
#include "kit/app/system_directories.h"
#include "kit/app/system_memory.h"
#include "kit/foundation/log.h"
#include "kit/foundation/report_error.h"
#include "platform/core/executor.h"
#include "support/offscreen_application.h"

namespace {

TEST(DebugInfoTest, RunningTimeLeavesOutLeadingZeroUnits) {
  EXPECT_EQ(kit::DebugInfo::runningTimeText(0), "0s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(42.9), "42s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(185), "3m 5s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(7207), "2h 0m 7s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(-3), "0s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(1e300), "106751d 23h 47m 16s") << "held to 2^63 nanoseconds";

  const auto& formatter = kit::ZvApp::durationFormatter();
  EXPECT_EQ(formatter.string(90061), "1d 1h 1m 1s");
  EXPECT_EQ(formatter.string(-185), "-3m 5s");
  EXPECT_EQ(formatter.string(-9223372036854775807.0), std::nullopt);
  EXPECT_EQ(formatter.string(std::nan("")), std::nullopt);
}

TEST(DebugInfoTest, EntriesShowTheirValueWithAnOptionalUnwrappedOnce) {
  using kit::AnyValue;
  using kit::DebugInfo::debugInfoEntryText;
  EXPECT_EQ(debugInfoEntryText("text"), "text");
  EXPECT_EQ(debugInfoEntryText(true), "true");
  EXPECT_EQ(debugInfoEntryText(int64_t{42}), "42");
  EXPECT_EQ(debugInfoEntryText(1.0), "1.0");
  EXPECT_EQ(debugInfoEntryText(std::vector<std::string>{"a", "b"}), "[\"a\", \"b\"]");
  EXPECT_EQ(debugInfoEntryText(std::optional<bool>(false)), "false") << "without the word Optional";
  EXPECT_EQ(debugInfoEntryText(std::optional<int>()), "<nil>");
  EXPECT_EQ(debugInfoEntryText(AnyValue()), "<nil>");
  EXPECT_EQ(debugInfoEntryText(std::optional<std::optional<int>>(5)), "Optional(5)");
}

TEST(DebugInfoTest, KeyboardSourcesAreNamedAndIdentifiedEvenWithoutEither) {
  EXPECT_EQ(kit::KeyboardInputSource({.id = "de(nodeadkeys)", .localizedName = "German (no dead keys)"}).description(),
            "German (no dead keys) (de(nodeadkeys))");
  EXPECT_EQ(kit::KeyboardInputSource({.id = "us", .localizedName = std::nullopt}).description(), "<Unknown> (us)");

  const kit::KeyboardInputSource nameless({}), other({});
  EXPECT_EQ(nameless.localizedName, "<Unknown>");
  EXPECT_TRUE(
      std::regex_match(nameless.id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
      << nameless.id;
  EXPECT_NE(nameless.id, other.id) << "a fresh identifier for each";
  EXPECT_EQ(nameless.inputModeID, std::nullopt);
}

TEST(DebugInfoTest, MemoryAndScreenFiguresWithoutAScreen) {
  EXPECT_EQ(kit::DebugInfo::primaryScreenScaleFactor(), 1.0);
  EXPECT_GT(kit::DebugInfo::remainingAvailableMemory(), kit::Bytes::zero);
  EXPECT_GT(kit::DebugInfo::appMemoryUsage().value_or(0), 0);
}

class DebugTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setMainExecutorForTesting(&mainQueue_);
    kit::debugLogStore().clear();
  }
  void TearDown() override {
    kit::DebugInfo::debugInfoProviders().clear();
    kit::DebugInfo::extraDebugInfo().clear();
    for (const auto& key : kit::DebugInfo::atomicDebugInfoProviders().keys())
      kit::DebugInfo::atomicDebugInfoProviders().set(key, std::nullopt);
    for (const auto& key : kit::DebugInfo::atomicDebugInfo().keys())
      kit::DebugInfo::atomicDebugInfo().set(key, std::nullopt);
    platform::setMainExecutorForTesting(nullptr);
  }
  platform::ManualExecutor mainQueue_;
};

TEST_F(DebugTextTest, TextHasItsSectionsAndFillers) {
  const std::string text = kit::DebugInfo::debugInfoText();
  const std::string head = "# Quillet " + kit::AppFacts::versionWithBuild() +
                           "\n\nBundle Identifier: com.kestrova.Quillet\nLaunch Count: 1\nRunning Time: ";
  EXPECT_EQ(text.substr(0, head.size()), head);
  for (const char* piece : {"\nIs Installed from App Store: false\n\n# Device\n\nOS: ", "\nCalendar: gregorian\n",
                            "\nScreens: 0\nPrimary Screen Scale: 1\nKeyboard: <Unknown>\n"
                            "Is Bartender Running: false\nIs Bartender-like Running: false\n\n# Settings\n\nZv_",
                            "\n\n# Custom\n\n\n\n# Logs\n\n```\n<Empty>\n```"})
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\nin:\n" << text;
  EXPECT_EQ(text.substr(text.size() - 4), "\n```");
}

TEST_F(DebugTextTest, AScreenAtTwiceTheScaleIsReportedAsTwo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, whose application is made at that scale
  EXPECT_EXIT(
      {
        setenv("QT_SCALE_FACTOR", "2", 1);
        ensureOffscreenApplication();
        const double scale = kit::DebugInfo::primaryScreenScaleFactor();
        std::cerr << "scale factor " << scale << "\n" << kit::DebugInfo::debugInfoText() << std::endl;
        std::exit(scale == 2.0 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "(^|\n)scale factor 2\n(.|\n)*\nScreens: 1\nPrimary Screen Scale: 2\nKeyboard: ");
}

TEST_F(DebugTextTest, CustomSectionTakesTheAtomicEntriesWithProvidersWinning) {
  kit::DebugInfo::atomicDebugInfo().set("Both", std::optional<std::string>("stored"));
  kit::DebugInfo::atomicDebugInfo().set("Stored", std::optional<std::string>());
  kit::DebugInfo::atomicDebugInfoProviders().set(
      "Both", kit::DebugInfo::Provider([] { return std::optional<std::string>("provided"); }));
  kit::DebugInfo::debugInfoProviders()["Only Compact"] = [] { return std::optional<std::string>("x"); };
  const std::string text = kit::DebugInfo::debugInfoText();
  EXPECT_NE(text.find("\n\n# Custom\n\nBoth: provided\nStored: <nil>\n\n# Logs"), std::string::npos) << text;
  EXPECT_EQ(text.find("Only Compact"), std::string::npos);
}

TEST_F(DebugTextTest, CompactLinesKeepTheirOrderAndEntriesReplaceInPlace) {
  kit::DebugInfo::debugInfoProviders()["Screens"] = [] { return std::optional<std::string>("many"); };
  kit::DebugInfo::debugInfoProviders()["Setting - preserveLinks"] = [] { return std::optional<std::string>(); };
  kit::DebugInfo::extraDebugInfo()["Setting - preserveLinks"] = "stored";
  const std::string lines = kit::DebugInfo::debugInfo();
  const size_t screens = lines.find("\nScreens: many\nPrimary Screen Scale: ");
  EXPECT_NE(screens, std::string::npos) << lines;
  EXPECT_EQ(lines.rfind("Screens: "), screens + 1) << "replaced where it stood, not added";
  EXPECT_NE(lines.find("\nIs Bartender-like Running: false\nSetting - preserveLinks: <nil>"), std::string::npos)
      << "an entry without a value reads <nil>, after the built-in lines";
  EXPECT_NE(lines.find("\nApp Store: false\n"), std::string::npos) << lines;
}

TEST_F(DebugTextTest, RegistriesTakeValuesOfAnyTypeRenderedWhenRead) {
  int reads = 0;
  kit::DebugInfo::atomicDebugInfoProviders().set("Count", kit::DebugInfo::Provider([&] { return ++reads; }));
  kit::DebugInfo::atomicDebugInfo().set("Flags", kit::AnyValue(std::vector<bool>{true, false}));
  kit::DebugInfo::atomicDebugInfo().set("Scale", kit::AnyValue(std::optional<double>(2.0)));
  kit::DebugInfo::debugInfoProviders()["Enabled"] = [] { return true; };
  kit::DebugInfo::extraDebugInfo()["Byte"] = uint8_t{65};
  EXPECT_EQ(kit::DebugInfo::customDebugInfo(),
            (std::map<std::string, std::string>{{"Count", "1"}, {"Flags", "[true, false]"}, {"Scale", "2.0"}}));
  EXPECT_NE(kit::DebugInfo::debugInfoText().find("\n\n# Custom\n\nCount: 2\nFlags: [true, false]\nScale: 2.0\n\n"),
            std::string::npos);
  const std::string lines = kit::DebugInfo::debugInfo();
  EXPECT_NE(lines.find("\nByte: 65\nEnabled: true"), std::string::npos) << lines;
}

TEST_F(DebugTextTest, FreeMemoryComesFromMeminfoAndWithoutItIsReportedAndReadsZero) {
  const kit::TemporaryDirectory folder(kit::createTemporaryDirectory());
  const std::filesystem::path meminfo = folder.path() / "meminfo";
  std::ofstream(meminfo) << "MemTotal:       16384000 kB\nMemFree:         1024 kB\nMemAvailable:    2048 kB\n";
  kit::SystemMemory::setMeminfoPathForTesting(meminfo);
  EXPECT_NE(kit::DebugInfo::debugInfoText().find("\nRemaining Available Memory: 2 MB\n"), std::string::npos);

  std::vector<std::pair<std::string, int64_t>> reports;
  kit::ZvApp::setErrorReportFilter([&](const platform::Error& error) {
    reports.emplace_back(error.domain(), error.code());
    EXPECT_TRUE(error.userInfo().empty()) << "no description of its own";
    return false;
  });
  std::ofstream(meminfo) << "MemTotal:       16384000 kB\nMemFree:         1024 kB\n";
  EXPECT_EQ(kit::DebugInfo::remainingAvailableMemory(), kit::Bytes::zero);
  const std::string text = kit::DebugInfo::debugInfoText();
  const std::string lines = kit::DebugInfo::debugInfo();
  EXPECT_THROW(kit::DebugInfo::availableMemory(), platform::PlatformError);
  kit::ZvApp::setErrorReportFilter({});
  kit::SystemMemory::setMeminfoPathForTesting(std::nullopt);

  EXPECT_NE(text.find("\nRemaining Available Memory: Zero KB\nIs Installed from App Store: "), std::string::npos)
      << text;
  EXPECT_NE(lines.find("\nRemaining Available Memory: Zero KB\n"), std::string::npos) << lines;
  EXPECT_EQ(reports, (std::vector<std::pair<std::string, int64_t>>(3, {"com.kestrova.Quillet.memory", 5})))
      << "one report for each look, none for the throwing call itself";
  EXPECT_GT(kit::DebugInfo::remainingAvailableMemory(), kit::Bytes::zero) << "/proc/meminfo again";
}

TEST_F(DebugTextTest, MenuBarManagerLinesAskTheRunningApplications) {
  platform::FakeWorkspace workspace;
  platform::Workspace::setSharedForTesting(&workspace);
  auto flags = [] {
    const std::string text = kit::DebugInfo::debugInfoText();
    const auto at = text.find("Is Bartender Running: ");
    return text.substr(at, text.find("\n\n", at) - at);
  };
  platform::RunningApplication nameless;
  nameless.localizedName = "com.HyperartFlow.Barbee";  // a name is no id
  workspace.applications = {nameless};
  EXPECT_EQ(flags(), "Is Bartender Running: false\nIs Bartender-like Running: false");
  EXPECT_EQ(kit::DebugInfo::menuBarManagerFlagsText(), flags());

  platform::RunningApplication barbee;
  barbee.bundleIdentifier = "com.HyperartFlow.Barbee";
  workspace.applications.push_back(barbee);
  EXPECT_EQ(flags(), "Is Bartender Running: false\nIs Bartender-like Running: true");
  EXPECT_NE(kit::DebugInfo::debugInfo().find("Is Bartender-like Running: true"), std::string::npos);

  platform::RunningApplication bartender;
  bartender.bundleIdentifier = "com.surteesstudios.Bartender-setapp";
  workspace.applications = {bartender};
  EXPECT_EQ(flags(), "Is Bartender Running: true\nIs Bartender-like Running: true");
  platform::Workspace::setSharedForTesting(nullptr);
}

}  // namespace
