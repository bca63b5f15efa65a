#include "kit/app/zv_kit.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMenu>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "kit/app/launch_history.h"
#include "kit/app/relaunch.h"
#include "launch_test_support.h"
#include "platform/core/executor.h"
#include "support/offscreen_application.h"

namespace {

namespace History = kit::LaunchHistory;

// The kit's start-up: what it stores at once and what it queues, in which order.
class KitStartUpTest : public LaunchHistoryTest {
 protected:
  std::vector<std::string> startKit(uint64_t modifierFlags) {
    std::vector<std::string> order;
    auto& hooks = kit::kitLaunchHooks();
    hooks.showUserDebugWindow = [&] { order.push_back("debug window"); };
    hooks.offerDataResetAtLaunch = [&] { order.push_back("reset prompt"); };
    hooks.addDebugMenuIfNeeded = [&] { order.push_back("debug menu"); };
    kit::finishLaunchingHandlers() = {[&] { order.push_back("handler"); }};
    platform::ManualExecutor mainQueue;
    kit::ZvKit kit({*suite_, modifierFlags, mainQueue, [&] { order.push_back("facts"); }});
    mainQueue.runUntilIdle();
    hooks = {};
    kit::finishLaunchingHandlers().clear();
    return order;
  }
};

TEST_F(KitStartUpTest, TakesFactsThenRunsQueuedWorkInOrder) {
  using Strings = std::vector<std::string>;
  EXPECT_EQ(startKit(0), (Strings{"facts", "reset prompt", "handler", "debug menu"}));
  // Shift + Super + Alt, with Caps Lock and the numeric pad ignored.
  EXPECT_EQ(startKit(kit::LaunchChord::userDebugWindow | 0x10000 | 0x200000),
            (Strings{"facts", "debug window", "reset prompt", "handler", "debug menu"}));
  // One more modifier and the chord no longer holds.
  EXPECT_EQ(startKit(kit::LaunchChord::dataReset), (Strings{"facts", "reset prompt", "handler", "debug menu"}));
}

TEST_F(KitStartUpTest, SettingsOpenOnceAfterARelaunchThatAskedForThem) {
  int opened = 0;
  kit::setOpenSettingsHandler([&] { ++opened; });
  suite_->set(History::showsSettingsAfterRelaunchKey(*suite_).name(), platform::PlistValue(true));
  relaunch();
  startKit(0);
  EXPECT_EQ(opened, 1);
  relaunch();
  startKit(0);
  EXPECT_EQ(opened, 1);
  kit::setOpenSettingsHandler(nullptr);
}

TEST_F(KitStartUpTest, TheKitKnowsTheNumberOfItsLaunch) {
  platform::ManualExecutor mainQueue;
  const auto launch = [&] {
    relaunch();
    return kit::ZvKit({*suite_, 0, mainQueue}).launchCount();  // the kit counts in its own suite
  };
  EXPECT_EQ(launch(), 1) << "the very first launch";
  suite_->set(History::launchCountKey(*suite_).name(), platform::PlistValue(int64_t{9}));
  EXPECT_EQ(launch(), 10);
  EXPECT_EQ(kit::Preferences::get(History::launchCountKey(*suite_)), 10);
}

// Only a normal window counts, and only once the first second has passed; the first one is kept.
TEST_F(KitStartUpTest, TheFirstMainWindowIsTheFirstNormalWindowToTakeTheFocusAfterTheFirstSecond) {
  ensureOffscreenApplication();
  platform::ManualExecutor mainQueue;
  kit::ZvKit kit({*suite_, 0, mainQueue});
  QTest::qWait(1200);
  QDialog panel;
  panel.show();
  panel.activateWindow();
  QMenu menu;
  menu.addAction("Item");
  menu.popup(QPoint(10, 10));
  QTest::qWait(100);
  menu.hide();
  panel.hide();
  EXPECT_FALSE(kit::firstMainWindowFrame()) << "neither a panel nor a menu is a main window";

  QWidget window;
  window.setGeometry(40, 50, 300, 200);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([] { return kit::firstMainWindowFrame().has_value(); }));
  const QRect frame = window.frameGeometry();
  const platform::Rect expected{double(frame.x()), double(frame.y()), double(frame.width()), double(frame.height())};
  EXPECT_EQ(kit::firstMainWindowFrame(), expected);
  QWidget later;
  later.setGeometry(400, 300, 100, 100);
  later.show();
  later.activateWindow();
  QTest::qWait(100);
  EXPECT_EQ(kit::firstMainWindowFrame(), expected) << "the first one is kept";
}

TEST(LaunchChordTest, ComparesTheHeldModifiersExactly) {
  EXPECT_TRUE(kit::LaunchChord::isHeld(kit::LaunchChord::debugMenu, 0x60000 | 0x800000 | 0x1234));
  EXPECT_FALSE(kit::LaunchChord::isHeld(kit::LaunchChord::debugMenu, 0xe0000));
  EXPECT_FALSE(kit::LaunchChord::isHeld(kit::LaunchChord::userDebugWindow, 0xa0000));  // Shift + Alt only
}

TEST(KitMetadataTest, TheProductsRecordIsMadeOnceWithItsSecurePageAndNoStore) {
  const auto& metadata = kit::ZvKit::Metadata::current();
  EXPECT_EQ(&metadata, &kit::ZvKit::Metadata::current());
  EXPECT_EQ(metadata.website.scheme(), "https");
  EXPECT_TRUE(metadata.website.path().ends_with("/quillet")) << metadata.website.absoluteString();
  EXPECT_EQ(metadata.appStoreId, std::nullopt);
}

}  // namespace
