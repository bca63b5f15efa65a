#include "kit/ui/singleton_window_controller.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QPointer>
#include <QTest>

#include "kit/ui/window_for_menu_bar_app.h"

namespace kit {
namespace {

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

class FirstController : public SingletonWindowController {
 public:
  FirstController() : SingletonWindowController(new WindowForMenuBarApp) {}
};
class SecondController : public SingletonWindowController {
 public:
  SecondController() : SingletonWindowController(new WindowForMenuBarApp) {}
};

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
  // A forced close is a close too: the next request builds a new window.
  SingletonWindowController::showWindow<FirstController>(false);
  ASSERT_TRUE(waitUntil([&] { return next.window()->isVisible(); }));
  toggle2(*next.window(), true);
  EXPECT_FALSE(SingletonWindowController::hasSharedInstance<FirstController>());
  SingletonWindowController::shared<SecondController>().window()->close();
}

// A window that asks about unsaved changes and is told to stay.
class RefusingWindow : public WindowForMenuBarApp {
 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};
class RefusingController : public SingletonWindowController {
 public:
  RefusingController() : SingletonWindowController(new RefusingWindow) {}
};

TEST(SingletonWindowController, ARefusedCloseKeepsTheControllerAndItsWindow) {
  auto& controller = SingletonWindowController::shared<RefusingController>();
  SingletonWindowController::showWindow<RefusingController>(false);
  QPointer<QWidget> window = controller.window();
  ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));

  EXPECT_FALSE(window->close());
  QTest::qWait(20);
  EXPECT_TRUE(SingletonWindowController::hasSharedInstance<RefusingController>());
  ASSERT_FALSE(window.isNull());
  EXPECT_TRUE(window->isVisible());

  controller.removeSharedInstance();
  EXPECT_FALSE(SingletonWindowController::hasSharedInstance<RefusingController>());
  EXPECT_TRUE(waitUntil([&] { return window.isNull(); })) << "the forgotten controller takes its window along";
}

}  // namespace
}  // namespace kit
