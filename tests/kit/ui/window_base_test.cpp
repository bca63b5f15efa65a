// The windows of a tray application: one per type, closed and minimised from the keyboard, kept on screen, and
// shown with a fade that never leaves them invisible.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>

#include "kit/ui/hosting_window.h"
#include "kit/ui/singleton_window_controller.h"
#include "kit/ui/window_for_menu_bar_app.h"
#include "kit/ui/window_presentation.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

class FirstController : public SingletonWindowController {
 public:
  FirstController() : SingletonWindowController(new WindowForMenuBarApp) {}
};
class SecondController : public SingletonWindowController {
 public:
  SecondController() : SingletonWindowController(new WindowForMenuBarApp) {}
};

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

TEST(SingletonWindowController, OneLiveControllerPerTypeUntilItsWindowCloses) {
  auto& first = SingletonWindowController::shared<FirstController>();
  EXPECT_EQ(&first, &SingletonWindowController::shared<FirstController>());
  EXPECT_NE(static_cast<SingletonWindowController*>(&first),
            static_cast<SingletonWindowController*>(&SingletonWindowController::shared<SecondController>()));

  SingletonWindowController::showWindow<FirstController>(false);
  QPointer<QWidget> window = first.window();
  ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));

  window->close();
  EXPECT_FALSE(SingletonWindowController::hasSharedInstance<FirstController>());
  EXPECT_TRUE(waitUntil([&] { return window.isNull(); }));
  auto& next = SingletonWindowController::shared<FirstController>();
  EXPECT_NE(next.window(), nullptr);
  EXPECT_TRUE(SingletonWindowController::hasSharedInstance<SecondController>()) << "the other type is untouched";
  next.window()->close();
  SingletonWindowController::shared<SecondController>().window()->close();
}

class MenuBarWindowKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    window = new WindowForMenuBarApp;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }
  void TearDown() override { delete window.data(); }
  QPointer<WindowForMenuBarApp> window;
};

TEST_F(MenuBarWindowKeys, CtrlWClosesButNotWithOtherModifiers) {
  QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_TRUE(window && window->isVisible());
  QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(waitUntil([&] { return window.isNull(); }));
}

TEST_F(MenuBarWindowKeys, CtrlMMinimises) {
  QTest::keyClick(window, Qt::Key_M, Qt::ControlModifier);
  EXPECT_TRUE(window->isMinimized());
}

TEST_F(MenuBarWindowKeys, EscapeClosesOnlyWhenAskedAndAWindowWithoutCloseButtonStays) {
  QTest::keyClick(window, Qt::Key_Escape);
  ASSERT_TRUE(window && window->isVisible());

  window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  window->show();
  window->shouldCloseOnEscapePress = true;
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
  QTest::keyClick(window, Qt::Key_Escape);
  ASSERT_TRUE(window && window->isVisible()) << "no close button, nothing closes it from the keyboard";

  window->setWindowFlags(Qt::Window);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(waitUntil([&] { return window.isNull(); }));
}

TEST(HostingWindow, FramesStayWithinTheAvailableAreaOfTheirScreen) {
  // A screen of 1000 × 800 whose available area starts right of a 100-pixel panel and below a 20-pixel bar.
  const QRect area(100, 20, 1000, 800);
  struct Case {
    QRect proposed, expected;
  };
  const std::vector<Case> cases{
      {{300, 200, 400, 300}, {300, 200, 400, 300}},    // inside: unchanged
      {{300, 200, 1200, 300}, {100, 200, 1000, 300}},  // too wide: the area's width, at its left edge
      {{300, 200, 400, 900}, {300, 20, 400, 800}},     // too tall: the area's height, at its top
      {{900, 200, 400, 300}, {700, 200, 400, 300}},    // off the right edge: moved back
      {{300, -50, 400, 300}, {300, 20, 400, 300}},     // above the top: moved down
      {{50, 200, 400, 300}, {100, 200, 400, 300}},     // left of the area (over the panel): moved right
      {{300, 540, 400, 300}, {300, 540, 400, 300}},    // hanging 20 pixels below the bottom may stay
      {{300, 551, 400, 300}, {300, 520, 400, 300}},    // 31 pixels below: moved up onto the area
  };
  for (const auto& c : cases) EXPECT_EQ(constrainedFrame(c.proposed, area), c.expected) << c.proposed.x();
}

TEST(HostingWindow, EscapeFocusAndContentFollowTheOptions) {
  auto* content = new QLabel("content");
  QPointer<QLabel> held(content);
  auto* window = new HostingWindow(content, {.constrainWindowToScreen = false, .canBecomeKey = true});
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible()) << "Escape closes only when asked";
  window->close();
  EXPECT_TRUE(waitUntil([&] { return held.isNull(); })) << "a closed window lets go of its content";

  HostingWindow closesOnEscape(new QLabel("x"), {.closeOnEsc = true});
  closesOnEscape.show();
  QTest::keyClick(&closesOnEscape, Qt::Key_Escape);
  EXPECT_FALSE(closesOnEscape.isVisible());

  HostingWindow noFocus(new QLabel("x"), {.canBecomeKey = false});
  EXPECT_TRUE(noFocus.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
}

class FadeIn : public ::testing::Test {
 protected:
  void TearDown() override { setPrefersReducedMotionForTesting(std::nullopt); }
  QWidget window;
};

TEST_F(FadeIn, FadesInOrAppearsAtOnceWithLessMotionAndNeverStaysTransparent) {
  window.setWindowOpacity(0.5);
  auto plain = showWindow(window, {.animated = false});
  EXPECT_TRUE(window.isVisible());
  EXPECT_LT(window.windowOpacity(), 0.6) << "shown as it is";
  window.hide();

  setPrefersReducedMotionForTesting(false);
  auto faded = showWindow(window, {.animated = true, .duration = 100ms});
  EXPECT_TRUE(window.isVisible());
  EXPECT_DOUBLE_EQ(window.windowOpacity(), 0.0);
  ASSERT_TRUE(waitUntil([&] { return window.windowOpacity() == 1.0; }));
  QTest::qWait(20);  // the task ends after the fade

  window.hide();
  setPrefersReducedMotionForTesting(true);
  auto atOnce = platform::spawn(platform::mainExecutor(), [this] { return showWindow(window, {.animated = true}); });
  QTest::qWait(50);
  EXPECT_DOUBLE_EQ(window.windowOpacity(), 0.0);
  EXPECT_TRUE(waitUntil([&] { return window.windowOpacity() == 1.0; }));

  window.hide();
  auto cancelled =
      platform::spawn(platform::mainExecutor(), [this] { return showWindow(window, {.animated = true, .delay = 1s}); });
  QTest::qWait(50);
  cancelled.cancel();
  EXPECT_TRUE(waitUntil([&] { return window.windowOpacity() == 1.0; }));
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace kit
