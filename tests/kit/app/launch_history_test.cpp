#include "kit/app/launch_history.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "launch_test_support.h"

namespace {

namespace History = kit::LaunchHistory;
using platform::Date;
using namespace std::chrono_literals;

TEST_F(LaunchHistoryTest, FirstLaunchStoresItsFactsAndLaterLaunchesKeepThem) {
  const Date firstStart = Date(std::chrono::seconds(1'800'000'000));
  // The typed keys register their defaults, which every reader of the suite sees; nothing is stored by that.
  History::launchCountKey(*suite_);
  History::wasRelaunchedKey(*suite_);
  History::firstLaunchDateKey(*suite_);
  EXPECT_EQ(suite_->object("Zv_launchCount"), platform::PlistValue(int64_t{0}));
  EXPECT_EQ(suite_->object("ZvApp_wasRelaunched"), platform::PlistValue(false));
  EXPECT_FALSE(suite_->object("Zv_firstLaunchDate"));
  EXPECT_TRUE(suite_->persistentDomain().empty());

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

TEST_F(LaunchHistoryTest, CountReadsAsAnIntegerKeyAndSurvivesForeignAndExtremeStoredValues) {
  suite_->set(History::launchCountKey(*suite_).name(), platform::PlistValue("seven"));
  EXPECT_EQ(History::countLaunch(relaunch()), 1);
  suite_->set(History::launchCountKey(*suite_).name(), platform::PlistValue("10"));  // its bare JSON
  EXPECT_EQ(History::countLaunch(relaunch()), 11);
  suite_->set(History::launchCountKey(*suite_).name(), platform::PlistValue(std::numeric_limits<int64_t>::max()));
  EXPECT_EQ(History::countLaunch(relaunch()), std::numeric_limits<int64_t>::max());
  suite_->set(History::launchCountKey(*suite_).name(), platform::PlistValue(int64_t{-5}));
  EXPECT_EQ(History::countLaunch(relaunch()), -4) << "not a first launch";
}

TEST_F(LaunchHistoryTest, RelaunchMarkersAreTakenOnce) {
  suite_->set(History::wasRelaunchedKey(*suite_).name(), platform::PlistValue("true"));  // its bare JSON
  suite_->set(History::showsSettingsAfterRelaunchKey(*suite_).name(), platform::PlistValue(true));
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

}  // namespace
