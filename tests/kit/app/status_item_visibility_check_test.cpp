#include "kit/app/status_item_visibility_check.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include "kit/app/relaunch.h"
#include "kit/foundation/log.h"
#include "platform/core/clock.h"
#include "support/offscreen_application.h"
#include "support/recording_alert_presenter.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

class VisibilityCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureOffscreenApplication(); }
  void SetUp() override {
    Preferences::removeAll();
    platform::setClockForTesting(&clock);
    setAlertPresenter(&presenter);
    setOpenSettingsHandler([this] { ++settingsOpened; });
  }
  void TearDown() override {
    platform::setClockForTesting(nullptr);
    setAlertPresenter(nullptr);
    setOpenSettingsHandler({});
  }

  // Starts a check with the options the program uses; `finished` turns true when it ends.
  void start(bool hidden, bool atLogin) {
    finished = false;
    platform::spawn(platform::mainExecutor(), [this, hidden, atLogin]() -> platform::Task<void> {
      co_await checkVisibility([hidden] { return hidden; }, atLogin,
                               {.showsOpenSettingsButton = true, .showsDoNotShowAgainCheckbox = true});
      finished = true;
    });
    QTest::qWait(5);
  }
  void advance(std::chrono::milliseconds by) {
    clock.advance(by);
    for (int i = 0; i < 4; ++i) QTest::qWait(5);  // a sleep's end, the lock check and the next sleep
  }
  // The first wait, then the second (which starts once the screen was found unlocked).
  void passBothWaits(bool atLogin) {
    advance(atLogin ? 20s : 4s);
    advance(1s);
  }
  int reports() const {
    int count = 0;
    for (const auto& entry : debugLogStore().entries())
      count += entry.find("NSStatusItem#ensureVisibility was shown 2") != std::string::npos;
    return count;
  }

  platform::VirtualClock clock;
  RecordingAlertPresenter presenter;
  int settingsOpened = 0;
  bool finished = false;
};

TEST_F(VisibilityCheck, AHiddenIconIsToldAboutFiveSecondsAfterTheStart) {
  start(true, false);
  advance(4s);
  advance(900ms);
  EXPECT_TRUE(presenter.alerts.empty());
  advance(100ms);
  ASSERT_EQ(presenter.messages(), std::vector<std::string>{"Menu Bar Item Did Not Appear"});
  EXPECT_TRUE(finished);
  EXPECT_FALSE(Preferences::get(ensureVisibilityShouldNotShowAgainKey())) << "OK with the box off stores nothing";
  EXPECT_EQ(settingsOpened, 0);
  EXPECT_EQ(reports(), 0);
}

TEST_F(VisibilityCheck, TheAnswersOpenTheSettingsAndSwitchTheCheckOffForGood) {
  presenter.answer = alertFirstButtonReturn + 1;
  presenter.suppressionChecked = true;
  start(true, false);
  passBothWaits(false);
  EXPECT_EQ(settingsOpened, 1);
  EXPECT_TRUE(Preferences::get(ensureVisibilityShouldNotShowAgainKey()));

  start(true, false);
  EXPECT_TRUE(finished) << "switched off: nothing is waited for";
  passBothWaits(false);
  EXPECT_EQ(presenter.alerts.size(), 1u);
}

TEST_F(VisibilityCheck, AShownIconIsNotToldAndALoginStartWaitsLongerAndReportsOnce) {
  start(false, false);
  passBothWaits(false);
  EXPECT_TRUE(finished);
  EXPECT_TRUE(presenter.alerts.empty());

  start(true, true);
  passBothWaits(false);
  EXPECT_TRUE(presenter.alerts.empty());
  advance(16s);
  advance(1s);
  EXPECT_EQ(presenter.alerts.size(), 1u);
  EXPECT_EQ(reports(), 1);
  start(true, true);
  passBothWaits(true);
  EXPECT_EQ(presenter.alerts.size(), 2u);
  EXPECT_EQ(reports(), 1) << "once per installation";
}

TEST(MenuBar, HasTheStandardHeightAndNeverHidesItselfHere) {
  ensureOffscreenApplication();
  EXPECT_EQ(menuBarHeight(), 24.0);
  EXPECT_FALSE(isAutomaticallyToggled());
}

}  // namespace
}  // namespace kit
