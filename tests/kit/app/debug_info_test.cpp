#include "kit/app/debug_info.h"

#include <gtest/gtest.h>

#include "doubles/fake_workspace.h"
#include "kit/app/app_facts.h"
#include "kit/foundation/log.h"
#include "platform/core/executor.h"

namespace {

TEST(DebugInfoTest, RunningTimeLeavesOutLeadingZeroUnits) {
  EXPECT_EQ(kit::DebugInfo::runningTimeText(0), "0s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(42.9), "42s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(185), "3m 5s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(7207), "2h 0m 7s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(-3), "0s");
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
