#include "kit/ui/window_presentation.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QDialog>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTest>
#include <QWidget>
#include <chrono>

#include "platform/core/executor.h"
#include "platform/core/task.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

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

TEST_F(FadeIn, FadesAtThePaceOfTheTimingFunctionTheDefaultOneWhenNoneIsGiven) {
  setPrefersReducedMotionForTesting(false);
  const QEasingCurve linear(QEasingCurve::Linear);
  for (const QEasingCurve* curve : {&defaultTimingCurve(), &linear}) {
    window.hide();
    WindowShowOptions options{.animated = true, .duration = 300ms};
    if (curve != &defaultTimingCurve()) options.timingFunction = *curve;
    auto fade = showWindow(window, options);
    QPropertyAnimation* animation = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (animation = window.findChild<QPropertyAnimation*>()) != nullptr; }));
    EXPECT_EQ(animation->easingCurve(), *curve);
    ASSERT_TRUE(waitUntil([&] { return window.windowOpacity() == 1.0; }));
    QTest::qWait(20);
  }
}

// Refuses every close, but says when it was asked.
class RefusingWindow : public QWidget {
 public:
  RefusingWindow() { setAttribute(Qt::WA_DeleteOnClose); }
  int closeEvents = 0;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closeEvents;
    event->ignore();
  }
};

TEST(Toggle2, AForcedCloseIsOneTheWindowHearsOfButCannotRefuse) {
  QPointer<RefusingWindow> window = new RefusingWindow;
  window->show();
  toggle2(*window, false);
  EXPECT_EQ(window->closeEvents, 1);
  EXPECT_TRUE(window->isVisible()) << "asked, it refuses";

  toggle2(*window, true);
  ASSERT_TRUE(window);
  EXPECT_EQ(window->closeEvents, 2) << "told, so that it can save its place";
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(waitUntil([&] { return window.isNull(); })) << "released, as it is deleted on close";

  // Asked, a window without a close button stays, as a click on its missing button would leave it.
  QWidget fixed(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  fixed.show();
  toggle2(fixed, false);
  EXPECT_TRUE(fixed.isVisible());
  toggle2(fixed, true);
  EXPECT_FALSE(fixed.isVisible());
}

// What the window manager shows is checked under openbox (tests/e2e/minimised_windows_test.cpp); here the states.
TEST(OrderFront, AMinimisedWindowComesBackAsItWasWithTheWindowsOfItsOwnAndThoseItBelongsTo) {
  QWidget window;
  window.show();
  window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
  QDialog sheet(&window);
  sheet.open();
  sheet.setWindowState(Qt::WindowMinimized);
  orderFront(window);
  EXPECT_EQ(window.windowState(), Qt::WindowMaximized) << "still maximised";
  EXPECT_FALSE(sheet.isMinimized()) << "the sheet over it";

  window.setWindowState(window.windowState() | Qt::WindowMinimized);
  sheet.setWindowState(Qt::WindowMinimized);
  orderFront(sheet);
  EXPECT_FALSE(sheet.isMinimized());
  EXPECT_EQ(window.windowState(), Qt::WindowMaximized) << "the window the sheet belongs to";
  sheet.hide();

  // A minimised window is no window on the screen: toggled, it comes back rather than closing.
  window.setWindowState(Qt::WindowMinimized);
  toggle2(window, false);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
  toggle2(window, true);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace kit
