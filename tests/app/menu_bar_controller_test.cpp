#include "app/menu_bar_controller.h"

#include <gtest/gtest.h>

#include "app/menu_bar_test_support.h"
#include "app/status_item_icon.h"
#include "kit/foundation/log.h"
#include "kit/ui/dark_mode.h"
#include "platform/core/executor.h"
#include "platform/system/color_scheme.h"
#include "support/fake_desktop_portal.h"
#include "support/private_bus.h"

namespace app {
namespace {

TEST_F(MenuBarControllerTest, TheIconDimsWhileClearingIsOffIfAskedAndFollowsTheHideSetting) {
  kit::Preferences::set(Keys::dimMenuBarIconWhenDisabled(), true);
  auto controller = makeController();
  EXPECT_TRUE(controller->isStatusItemVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return controller->isIconDimmed(); }));

  controller->handleStatusItemClick(StatusItemClick::secondaryButtonDown, 0);
  EXPECT_FALSE(kit::Preferences::get(Keys::automaticallyClearFormatting())) << "a right press alone does nothing";
  controller->handleStatusItemClick(StatusItemClick::secondaryButtonUp, 0);
  EXPECT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !controller->isIconDimmed(); }));
  controller->handleStatusItemClick(StatusItemClick::primaryButton, Flag::control | Flag::option);
  EXPECT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));

  setAutomaticClearing(false);
  kit::Preferences::set(Keys::dimMenuBarIconWhenDisabled(), false);
  QTest::qWait(10);
  EXPECT_FALSE(controller->isIconDimmed());

  kit::Preferences::set(Keys::hideMenuBarIcon(), true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !controller->isStatusItemVisible(); }));
  kit::Preferences::set(Keys::hideMenuBarIcon(), false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return controller->isStatusItemVisible(); }));

  // Once the controller is gone its observing stops: later changes reach nothing.
  controller.reset();
  kit::Preferences::set(Keys::hideMenuBarIcon(), true);
  kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
  QTest::qWait(20);
}

TEST_F(MenuBarControllerTest, TheIconTakesTheColoursOfTheDesktopsScheme) {
  bustest::PrivateBus bus;
  bustest::FakeDesktopPortal portal(bus, 2);
  {
    platform::DesktopColorScheme scheme(bus.connect("client"));
    kit::useDesktopColorScheme(&scheme);
    kit::Preferences::set(Keys::dimMenuBarIconWhenDisabled(), false);
    auto controller = makeController();
    const auto shows = [&](bool forDarkPanel) {
      return controller->statusItem().icon().pixmap(22).toImage() == statusItemIcon(forDarkPanel).pixmap(22).toImage();
    };
    EXPECT_TRUE(shows(false));
    portal.announce(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows(true); }));
    kit::useDesktopColorScheme(nullptr);
  }
}

TEST_F(MenuBarControllerTest, AHiddenIconShowsForTheRevealTimeAtStartAndAtEachReveal) {
  kit::Preferences::set(Keys::hideMenuBarIcon(), true);
  auto controller = makeController();
  EXPECT_TRUE(controller->isStatusItemVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !controller->isStatusItemVisible(); }));
  // Launching the running program again reveals it the same way.
  controller->revealStatusItem();
  EXPECT_TRUE(controller->isStatusItemVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !controller->isStatusItemVisible(); }));
}

TEST_F(MenuBarControllerTest, TheRevealedIconGoesAgainNotBeforeFiveSecondsOnTheMainQueue) {
  kit::Preferences::set(Keys::hideMenuBarIcon(), true);
  engine();
  // Outlives whatever the test leaves queued on it.
  static platform::ManualExecutor mainQueue;
  platform::setMainExecutorForTesting(&mainQueue);
  {
    MenuBarController controller(&engine());
    controller.isFirstLaunch = [] { return false; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.isStatusItemVisible(); }));
    mainQueue.runUntilIdle();
    mainQueue.advance(std::chrono::milliseconds(4999));
    EXPECT_TRUE(controller.isStatusItemVisible());
    mainQueue.advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(controller.isStatusItemVisible());

    // A second launch 3 s after another: the icon stays for the second one's 5 s.
    controller.revealStatusItem();
    mainQueue.advance(std::chrono::seconds(3));
    controller.revealStatusItem();
    mainQueue.advance(std::chrono::milliseconds(4999));
    EXPECT_TRUE(controller.isStatusItemVisible());
    mainQueue.advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(controller.isStatusItemVisible());

    // A reveal whose controller has gone by then does nothing.
    controller.revealStatusItem();
  }
  mainQueue.advance(std::chrono::seconds(5));
  platform::setMainExecutorForTesting(nullptr);
}

TEST_F(MenuBarControllerTest, TheStartSaysWhetherKeysCanBePostedOnlyWhenAClearingShortcutNeedsThem) {
  namespace Names = kit::GlobalShortcuts::Names;
  auto loggedPostingLines = [] {
    int count = 0;
    for (const auto& entry : kit::debugLogStore().entries())
      count += entry.find("Synthetic keys can be posted (XTEST):") != std::string::npos;
    return count;
  };
  kit::debugLogStore().clear();
  kit::GlobalShortcuts::setShortcut(kit::GlobalShortcuts::Shortcut{7, 256},
                                    Names::toggleAutomaticallyClearFormatting());
  makeController();
  EXPECT_EQ(loggedPostingLines(), 0) << "the toggle posts no keys";

  kit::GlobalShortcuts::setShortcut(kit::GlobalShortcuts::Shortcut{9, 768}, Names::clearFormatting());
  makeController();
  EXPECT_EQ(loggedPostingLines(), 1);
  kit::GlobalShortcuts::setShortcut(std::nullopt, Names::clearFormatting());
}

}  // namespace
}  // namespace app
