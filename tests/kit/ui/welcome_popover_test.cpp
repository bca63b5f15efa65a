#include "kit/ui/welcome_popover.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QTest>
#include <memory>

#include "kit/ui/tooltip.h"
#include "kit/ui/window_presentation.h"
#include "platform/core/executor.h"

namespace kit {
namespace {

Tooltip* shownWelcome() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* tooltip = qobject_cast<Tooltip*>(widget);
    if (tooltip && tooltip->isVisible() && tooltip->identifier() == "statusBarButtonWelcomePopover") return tooltip;
  }
  return nullptr;
}

class WelcomePopoverTest : public ::testing::Test {
 protected:
  void SetUp() override { setPrefersReducedMotionForTesting(true); }
  void TearDown() override { setPrefersReducedMotionForTesting(std::nullopt); }

  // Awaits the popover in a task of its own, as the application does, and counts the times the await ends.
  platform::Task<void> greet(QSystemTrayIcon& item) {
    return platform::spawn(platform::mainExecutor(), [this, guard = QPointer(&item)]() -> platform::Task<void> {
      if (!guard) co_return;
      co_await showWelcomePopover(*guard);
      ++completions;
    });
  }

  int completions = 0;
};

TEST_F(WelcomePopoverTest, GreetsByNameAndEveryDismissalResumesTheCallerOnce) {
  QSystemTrayIcon item;
  greet(item);
  EXPECT_EQ(shownWelcome(), nullptr) << "not before 0.1 s";
  ASSERT_TRUE(QTest::qWaitFor([] { return shownWelcome() != nullptr; }, 2000));
  EXPECT_EQ(shownWelcome()->label()->text(), "Hello, I'm Quillet");
  EXPECT_EQ(QFontInfo(shownWelcome()->label()->font()).pixelSize(), 24);

  // A click inside closes it; the primary click on the item that follows changes nothing more.
  QTest::mouseClick(shownWelcome(), Qt::LeftButton);
  EXPECT_EQ(shownWelcome(), nullptr);
  QTest::qWait(50);
  Q_EMIT item.activated(QSystemTrayIcon::Trigger);
  QTest::qWait(50);
  EXPECT_EQ(completions, 1);

  // The primary click on the item ends the next one; the secondary click leaves it open.
  greet(item);
  ASSERT_TRUE(QTest::qWaitFor([] { return shownWelcome() != nullptr; }, 2000));
  Q_EMIT item.activated(QSystemTrayIcon::Context);
  EXPECT_NE(shownWelcome(), nullptr);
  Q_EMIT item.activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(QTest::qWaitFor([this] { return completions == 2; }, 2000));
  EXPECT_EQ(shownWelcome(), nullptr);
}

TEST_F(WelcomePopoverTest, AnItemGoneBeforeThePopoverShowsResumesTheCallerAtOnce) {
  auto item = std::make_unique<QSystemTrayIcon>();
  // Called directly, the wait of 0.1 s begins at once.
  platform::spawn(platform::mainExecutor(), [this, task = showWelcomePopover(*item)]() -> platform::Task<void> {
    co_await task;
    ++completions;
  });
  item.reset();
  EXPECT_TRUE(QTest::qWaitFor([this] { return completions == 1; }, 2000));
  EXPECT_EQ(shownWelcome(), nullptr);
}

}  // namespace
}  // namespace kit
