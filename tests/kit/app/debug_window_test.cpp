#include "kit/app/debug_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "debug_windows_test_support.h"
#include "kit/app/debug_log_screen.h"
#include "kit/app/debug_user_defaults_screen.h"

namespace kit {
namespace {

TEST_F(DebugWindows, TheDeveloperWindowSwitchesPanesAndCopiesTheDebugInformation) {
  DebugScreen screen(pasteboard);
  QStringList titles;
  QObject::connect(&screen, &DebugScreen::titleChanged, [&](const QString& title) { titles << title; });
  screen.sidebar()->setCurrentRow(2);
  EXPECT_NE(qobject_cast<DebugLogScreen*>(screen.pane()), nullptr);
  screen.sidebar()->setCurrentRow(1);
  EXPECT_NE(qobject_cast<DebugUserDefaultsScreen*>(screen.pane()), nullptr);
  EXPECT_EQ(titles, (QStringList{"Logs", "User Preferences"}));

  screen.sidebar()->setCurrentRow(0);
  for (auto* button : screen.pane()->findChildren<QPushButton*>())
    if (button->text() == "Copy Debug Info") button->click();
  const auto copied = pasteboard.string(platform::PasteboardType::string);
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied->rfind("# Quillet ", 0), 0u);
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "com.kestrova.Quillet");

  auto& controller = SingletonWindowController::shared<DebugWindowController>();
  controller.window()->close();
}

}  // namespace
}  // namespace kit
