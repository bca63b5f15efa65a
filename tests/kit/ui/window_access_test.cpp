#include "kit/ui/window_access.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "kit/ui/hover_tooltip.h"
#include "kit/ui/on_screen_tracking.h"
#include "kit/ui/session_restoration.h"
#include "platform/core/executor.h"

namespace kit {
namespace {

TEST(WindowResizeObserverTest, ReportsResizesOfTheHostingWindowAndFollowsTheContentIntoAnother) {
  QWidget first, second;
  auto* content = new QWidget(&first);
  int resizes = 0;
  new WindowResizeObserver(*content, [&] { ++resizes; });
  first.show();
  second.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
  resizes = 0;

  first.resize(first.width() + 40, first.height());
  EXPECT_TRUE(QTest::qWaitFor([&] { return resizes == 1; }));
  content->resize(10, 10);  // the content's own size is not the window's
  QTest::qWait(20);
  EXPECT_EQ(resizes, 1);

  content->setParent(&second);
  content->show();
  first.resize(first.width() + 40, first.height());
  second.resize(second.width() + 40, second.height());
  EXPECT_TRUE(QTest::qWaitFor([&] { return resizes == 2; }));
  QTest::qWait(20);
  EXPECT_EQ(resizes, 2);
}

TEST(WindowAccessorTest, HandsOnTheWindowOnlyWhileTheContentIsInOne) {
  QWidget window, later;
  // In a container that is in no window: a widget without a parent that was never shown.
  auto container = std::make_unique<QWidget>();
  auto* content = new QLabel("Content", container.get());
  std::vector<QWidget*> windows;
  new WindowAccessor(*content, [&](QWidget* window) { windows.push_back(window); });
  setHostingWindowLevel(*content, WindowLevel::floating);
  EXPECT_EQ(windows, std::vector<QWidget*>{nullptr});
  EXPECT_FALSE(container->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "the detached container is no window";

  auto* layout = new QVBoxLayout(&window);
  window.show();
  layout->addWidget(container.get());
  EXPECT_EQ(windows, (std::vector<QWidget*>{nullptr, &window}));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  container->setParent(nullptr);
  EXPECT_EQ(windows, (std::vector<QWidget*>{nullptr, &window, nullptr}));
  EXPECT_FALSE(container->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  // A window being built hosts the content once it is shown, hidden content or not, and none while it is hidden.
  auto* laterLayout = new QVBoxLayout(&later);
  laterLayout->addWidget(container.get());
  content->hide();
  EXPECT_EQ(windows.size(), 3u);
  later.show();
  EXPECT_EQ(windows, (std::vector<QWidget*>{nullptr, &window, nullptr, &later}));
  EXPECT_TRUE(later.isVisible()) << "its level set on the way, it is still shown";
  EXPECT_TRUE(later.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  later.hide();
  EXPECT_EQ(windows, (std::vector<QWidget*>{nullptr, &window, nullptr, &later, nullptr}));
}

TEST(WindowAccessorTest, TheMinimizeButtonChangesAloneAmongTheWindowsButtons) {
  QWidget window;
  auto* content = new QLabel("Content", &window);
  setWindowIsMinimizable(*content, false);
  window.show();
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));

  QDialog dialog;
  const Qt::WindowFlags before = dialog.windowFlags();
  setWindowIsMinimizable(*new QLabel("Content", &dialog), true);
  dialog.show();
  EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) << "a dialog gains no maximize button";
  EXPECT_EQ(dialog.windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::CustomizeWindowHint), before);
}

TEST(WindowAccessorTest, AModifierAppliedAgainTakesTheNewValue) {
  QWidget window;
  auto* content = new QLabel("Content", &window);
  setHostingWindowLevel(*content, WindowLevel::floating);
  setWindowIsMinimizable(*content, true);
  setWindowIsRestorable(*content, false);
  window.show();
  setHostingWindowLevel(*content, WindowLevel::normal);
  setWindowIsMinimizable(*content, false);
  setWindowIsRestorable(*content, true);
  window.hide();
  window.show();
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(isWindowRestorable(window));
}

TEST(WindowAccessorTest, ObserversRemovedBeforeTheirContentTakeTheirAccessorsAlong) {
  QWidget window;
  auto* content = new QLabel("Content", &window);
  delete new HoverTooltip(*content, [] { return new QLabel("Tip"); });
  auto* observer = new WindowResizeObserver(*content);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.resize(window.width() + 40, window.height());  // no handler yet: nothing is called
  int resizes = 0;
  observer->onResize = [&] { ++resizes; };
  window.resize(window.width() + 40, window.height());
  EXPECT_TRUE(QTest::qWaitFor([&] { return resizes == 1; }));

  delete observer;
  window.hide();
  window.show();
  window.resize(window.width() + 40, window.height());
  QTest::qWait(20);
  EXPECT_EQ(resizes, 1);
}

TEST(WindowTrackingTest, OnScreenChangesAndTheHostingWindowsLevel) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* content = new QLabel("Content");
  std::vector<bool> onScreen;
  onScreenChange(*content, [&](bool shown) { onScreen.push_back(shown); });
  auto isOnScreen = Binding<bool>::stored(false);
  bindIsOnScreen(*content, isOnScreen);
  setHostingWindowLevel(*content, WindowLevel::floating);
  setWindowIsMinimizable(*content, false);
  layout->addWidget(content);

  window.show();
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(isOnScreen.get());
  window.hide();
  EXPECT_FALSE(isOnScreen.get());
  window.show();
  EXPECT_TRUE(isOnScreen.get());
  EXPECT_EQ(onScreen, (std::vector<bool>{true, false, true}));

  // Moved to another window, the content sets that window's level.
  QWidget other;
  auto* otherLayout = new QVBoxLayout(&other);
  other.show();
  otherLayout->addWidget(content);
  EXPECT_TRUE(other.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(BeginPanelTest, AloneItBlocksNothingOnAWindowItIsASheetAndItsResultComesOnce) {
  QWidget window;
  window.show();
  std::vector<int> results;
  auto record = [&results](int result) { results.push_back(result); };

  auto* alone = new QDialog;
  beginPanel(*alone, nullptr, record);
  EXPECT_TRUE(alone->isVisible());
  EXPECT_EQ(alone->windowModality(), Qt::NonModal);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "every window stays usable";
  EXPECT_TRUE(alone->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "above our floating windows";
  alone->accept();
  alone->reject();
  delete alone;
  EXPECT_EQ(results, std::vector<int>{QDialog::Accepted});

  auto* sheet = new QDialog;
  beginPanel(*sheet, &window, record);
  EXPECT_EQ(sheet->parentWidget(), &window);
  EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
  delete sheet;  // gone before it ended: a cancel
  EXPECT_EQ(results, (std::vector<int>{QDialog::Accepted, QDialog::Rejected}));
}

TEST(BeginPanelTest, AwaitedItResumesOnceWithThePanelsResult) {
  QWidget window;
  window.show();
  auto* panel = new QDialog;
  std::vector<int> results;
  platform::spawn(platform::mainExecutor(),
                  [&]() -> platform::Task<void> { results.push_back(co_await beginPanel(*panel, &window)); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return panel->isVisible(); }));
  EXPECT_EQ(panel->windowModality(), Qt::WindowModal);
  EXPECT_TRUE(results.empty()) << "the caller waits while the panel is up";
  panel->reject();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !results.empty(); }));
  delete panel;
  QTest::qWait(10);
  EXPECT_EQ(results, std::vector<int>{QDialog::Rejected});
}

}  // namespace
}  // namespace kit
