#include "kit/ui/window_for_menu_bar_app.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

namespace kit {
namespace {

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

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

TEST_F(MenuBarWindowKeys, CtrlMMinimisesAndCtrlWClosesButNotWithOtherModifiers) {
  QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
  QTest::keyClick(window, Qt::Key_M, Qt::ControlModifier);
  ASSERT_TRUE(window && window->isVisible() && window->isMinimized());
  QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(waitUntil([&] { return window.isNull(); }));
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

}  // namespace
}  // namespace kit
