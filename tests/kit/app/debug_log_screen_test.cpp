#include "kit/app/debug_log_screen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "debug_windows_test_support.h"
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

}  // namespace
}  // namespace kit
