#include "kit/app/debug_log_screen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "debug_windows_test_support.h"
#include "kit/ui/every_second_timeline.h"
#include "platform/text/whitespace.h"

namespace kit {
namespace {

TEST_F(DebugWindows, TheLogPaneFollowsTheLogAndKeepsItsCommandsAsBuilt) {
  DebugLogScreen empty(pasteboard);
  EXPECT_FALSE(item(empty.header(), "Copy")->isEnabled());
  log({"first"});
  log({"first"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return empty.list()->count() == 2; }, 2000)) << "identical lines show twice";
  EXPECT_FALSE(item(empty.header(), "Clear")->isEnabled()) << "decided when the pane was built";

  DebugLogScreen screen(pasteboard);
  const auto entries = debugLogStore().entries();
  EXPECT_EQ(screen.list()->item(0)->text().toStdString(), platform::trimmingWhitespaceAndNewlines(entries[0]));
  item(screen.header(), "Copy")->trigger();
  EXPECT_EQ(pasteboard.string(platform::PasteboardType::string), entries[0] + "\n" + entries[1]);
  item(screen.header(), "Clear")->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return screen.list()->count() == 0; }, 2000));
  EXPECT_TRUE(item(screen.header(), "Copy")->isEnabled());
}

TEST_F(DebugWindows, TheTextOfALineCanBeSelectedAndTheLogIsReadEverySecondWhileAnotherApplicationIsActive) {
  log({"first line"});
  log({"second line"});
  DebugLogScreen screen(pasteboard);
  screen.resize(600, 400);
  screen.show();
  screen.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));

  QListWidget* list = screen.list();
  auto textOf = [&](int row) { return qobject_cast<QLabel*>(list->indexWidget(list->model()->index(row, 0))); };
  QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(0)).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return textOf(0) != nullptr; }));
  QLabel* first = textOf(0);
  EXPECT_EQ(first->text(), list->item(0)->text());
  const int middle = first->height() / 2;
  QTest::mousePress(first, Qt::LeftButton, Qt::NoModifier, QPoint(2, middle));
  QTest::mouseMove(first, QPoint(first->width() / 2, middle));
  QTest::mouseRelease(first, Qt::LeftButton, Qt::NoModifier, QPoint(first->width() / 2, middle));
  EXPECT_TRUE(first->hasSelectedText());

  // Passing over the next line keeps the selection of the first.
  QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(1)).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return textOf(1) != nullptr; }));
  EXPECT_EQ(textOf(0), first);
  EXPECT_TRUE(first->hasSelectedText());

  // The user turns to another application: a new line still shows within the second.
  auto* application = static_cast<QGuiApplication*>(QCoreApplication::instance());
  Q_EMIT application->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(screen.timeline()->currentInterval(), std::chrono::seconds(1));
  log({"third line"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return list->count() == 3; }, 2000));
}

}  // namespace
}  // namespace kit
