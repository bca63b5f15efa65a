// Launch history against real preferences files: each "launch" opens the suite afresh from its file, as a new
// process would.
#include "kit/app/launch_history.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <vector>

#include "kit/app/relaunch.h"
#include "kit/app/zv_kit.h"
#include "platform/core/executor.h"

namespace {

namespace History = kit::LaunchHistory;
using platform::Date;
using platform::UserDefaults;
using namespace std::chrono_literals;

class LaunchHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = std::string("launch-history-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    suite_ = UserDefaults::named(name_);
    ASSERT_TRUE(suite_);
  }
  void TearDown() override {
    auto path = suite_->filePath();
    suite_.reset();
    std::filesystem::remove(path);
  }

  // Ends the "process": writes the file and drops the suite, then opens it again from the file.
  UserDefaults& relaunch() {
    suite_->flush();
    suite_.reset();
    suite_ = UserDefaults::named(name_);
    return *suite_;
  }

  std::string fileText() {
    suite_->flush();
    std::ifstream file(suite_->filePath());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::string name_;
  std::shared_ptr<UserDefaults> suite_;
};

TEST_F(LaunchHistoryTest, FirstLaunchStoresItsFactsAndLaterLaunchesKeepThem) {
  const Date firstStart = Date(std::chrono::seconds(1'800'000'000));
  EXPECT_EQ(History::countLaunch(*suite_), 1);
  EXPECT_EQ(History::firstLaunchDate(*suite_, firstStart), firstStart);
  EXPECT_EQ(History::previousLaunchedVersion(*suite_, "1.0"), "1.0");
  EXPECT_FALSE(History::takeWasRelaunched(*suite_));

  const std::string text = fileText();
  EXPECT_NE(text.find("<key>Zv_launchCount</key>\n\t<integer>1</integer>"), std::string::npos) << text;
  EXPECT_NE(text.find("<key>Zv_firstLaunchDate</key>"), std::string::npos) << text;
  EXPECT_NE(text.find("<key>Zv_previousLaunchedVersion</key>\n\t<string>1.0</string>"), std::string::npos) << text;

  for (int launch = 2; launch <= 10; ++launch) {
    auto& suite = relaunch();
    EXPECT_EQ(History::countLaunch(suite), launch);
    EXPECT_EQ(History::firstLaunchDate(suite, firstStart + std::chrono::hours(launch)), firstStart);
  }
}

TEST_F(LaunchHistoryTest, PreviousVersionIsTheOneBeforeAnUpdateForTheWholeFirstRunOfTheNewVersion) {
  EXPECT_EQ(History::previousLaunchedVersion(*suite_, "1.0"), "1.0");
  EXPECT_EQ(History::previousLaunchedVersion(relaunch(), "1.1"), "1.0");
  EXPECT_EQ(History::previousLaunchedVersion(relaunch(), "1.1"), "1.1");
}

TEST_F(LaunchHistoryTest, CountSurvivesForeignAndExtremeStoredValues) {
  suite_->set(History::launchCountKey, platform::PlistValue("seven"));
  EXPECT_EQ(History::countLaunch(relaunch()), 1);
  suite_->set(History::launchCountKey, platform::PlistValue(std::numeric_limits<int64_t>::max()));
  EXPECT_EQ(History::countLaunch(relaunch()), std::numeric_limits<int64_t>::max());
  suite_->set(History::launchCountKey, platform::PlistValue(int64_t{-4}));
  EXPECT_EQ(History::countLaunch(relaunch()), 1);
}

TEST_F(LaunchHistoryTest, RelaunchMarkersAreTakenOnce) {
  suite_->set(History::wasRelaunchedKey, platform::PlistValue(true));
  suite_->set(History::showsSettingsAfterRelaunchKey, platform::PlistValue(true));
  auto& next = relaunch();
  EXPECT_TRUE(History::takeWasRelaunched(next));
  EXPECT_TRUE(History::takeShowsSettingsAfterRelaunch(next));
  auto& after = relaunch();
  EXPECT_FALSE(History::takeWasRelaunched(after));
  EXPECT_FALSE(History::takeShowsSettingsAfterRelaunch(after));
  EXPECT_EQ(fileText().find("Relaunch"), std::string::npos);
}

TEST_F(LaunchHistoryTest, RunOnceAnswersTrueOncePerIdentifierAcrossLaunches) {
  EXPECT_TRUE(History::runOnce("abc", *suite_));
  EXPECT_FALSE(History::runOnce("abc", *suite_));
  EXPECT_TRUE(History::runOnce("abd", *suite_));
  EXPECT_FALSE(History::runOnce("abc", relaunch()));
  suite_->remove("Zv_App_runOnce__abc");
  EXPECT_TRUE(History::runOnce("abc", relaunch()));
}

// The kit's start-up: what it stores at once and what it queues, in which order.
class KitStartUpTest : public LaunchHistoryTest {
 protected:
  std::vector<std::string> startKit(uint64_t modifierFlags) {
    std::vector<std::string> order;
    auto& hooks = kit::kitLaunchHooks();
    hooks.showUserDebugWindow = [&] { order.push_back("debug window"); };
    hooks.offerDataResetAtLaunch = [&] { order.push_back("reset prompt"); };
    hooks.addDebugMenuIfRequested = [&] { order.push_back("debug menu"); };
    kit::postLaunchHandlers() = {[&] { order.push_back("handler"); }};
    platform::ManualExecutor mainQueue;
    kit::ZvKit kit({*suite_, modifierFlags, mainQueue, [&] { order.push_back("facts"); }});
    order.push_back("launch " + std::to_string(kit.launchCount()));
    mainQueue.runUntilIdle();
    hooks = {};
    kit::postLaunchHandlers().clear();
    return order;
  }
};

TEST_F(KitStartUpTest, CountsTakesFactsThenRunsQueuedWorkInOrder) {
  using Strings = std::vector<std::string>;
  EXPECT_EQ(startKit(0), (Strings{"facts", "launch 1", "reset prompt", "handler", "debug menu"}));
  // Shift + Super + Alt, with Caps Lock and the numeric pad ignored.
  EXPECT_EQ(startKit(kit::LaunchChord::userDebugWindow | 0x10000 | 0x200000),
            (Strings{"facts", "launch 2", "debug window", "reset prompt", "handler", "debug menu"}));
  // One more modifier and the chord no longer holds.
  EXPECT_EQ(startKit(kit::LaunchChord::dataReset),
            (Strings{"facts", "launch 3", "reset prompt", "handler", "debug menu"}));
  EXPECT_EQ(History::countLaunch(relaunch()), 4);
}

TEST_F(KitStartUpTest, SettingsOpenOnceAfterARelaunchThatAskedForThem) {
  int opened = 0;
  kit::setOpenSettingsHandler([&] { ++opened; });
  suite_->set(History::showsSettingsAfterRelaunchKey, platform::PlistValue(true));
  relaunch();
  startKit(0);
  EXPECT_EQ(opened, 1);
  relaunch();
  startKit(0);
  EXPECT_EQ(opened, 1);
  kit::setOpenSettingsHandler(nullptr);
}

TEST(LaunchChordTest, ComparesTheHeldModifiersExactly) {
  EXPECT_TRUE(kit::LaunchChord::isHeld(kit::LaunchChord::debugMenu, 0x60000 | 0x800000 | 0x1234));
  EXPECT_FALSE(kit::LaunchChord::isHeld(kit::LaunchChord::debugMenu, 0xe0000));
  EXPECT_FALSE(kit::LaunchChord::isHeld(kit::LaunchChord::userDebugWindow, 0xa0000));  // Shift + Alt only
}

}  // namespace
