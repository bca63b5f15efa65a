#include "kit/app/debug_user_defaults_screen.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include "debug_windows_test_support.h"

namespace kit {
namespace {

TEST_F(DebugWindows, ThePreferencesPaneListsTheFileLiveAndDeletesCopiesAndClearsIt) {
  auto& suite = UserDefaults::standard();
  for (const char* key : {"beta", "alpha", "Zebra", "__private", "Zv_launchCount", "SessionIdHistory"})
    suite.set(key, std::string("value of ") + key);
  suite.set("multiline", std::string("one\ntwo"));
  DebugUserDefaultsScreen screen(pasteboard);
  EXPECT_EQ(screen.tree()->topLevelItem(0)->text(0), "Standard");
  {
    additionalDebugSuites() = {{UserDefaults::named("debug-listed")}, {UserDefaults::named("debug-titled"), "Titled"}};
    DebugUserDefaultsScreen withSuites(pasteboard);
    additionalDebugSuites().clear();
    EXPECT_EQ(withSuites.tree()->topLevelItem(1)->text(0), "<Unknown>") << "a suite listed without a title";
    EXPECT_EQ(withSuites.tree()->topLevelItem(2)->text(0), "Titled");
  }
  EXPECT_EQ(rowKeys(screen.tree()),
            (std::vector<std::string>{"Zv_launchCount", "__private", "Zebra", "alpha", "beta", "multiline"}));
  // A screen reader reads each row as it shows: the key over its value.
  screen.show();
  QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(screen.tree());
  QStringList read;
  for (int index = 0; index < tree->childCount(); ++index) read << tree->child(index)->text(QAccessible::Name);
  EXPECT_EQ(read.filter(QRegularExpression("^alpha\n.*value of alpha")).size(), 1) << read.join(" | ").toStdString();

  item(screen.header(), "Copy")->trigger();
  const std::string copied = *pasteboard.string(platform::PasteboardType::string);
  EXPECT_EQ(copied.substr(0, copied.find('\n')), "Zv_launchCount: value of Zv_launchCount");
  EXPECT_NE(copied.find("\nmultiline: one\ntwo"), std::string::npos);
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "com.kestrova.Quillet");

  // Two rows at once: the second removal must not hit a row that moved up after the first.
  screen.tree()->topLevelItem(0)->child(3)->setSelected(true);
  screen.tree()->topLevelItem(0)->child(4)->setSelected(true);
  QTest::keyClick(screen.tree(), Qt::Key_Delete);
  EXPECT_FALSE(storedFile().count("alpha") || storedFile().count("beta"));
  EXPECT_TRUE(storedFile().count("Zebra") && storedFile().count("multiline"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return rowKeys(screen.tree()).size() == 4; }));

  suite.set("added", true);  // any change shows without reopening the pane
  EXPECT_TRUE(QTest::qWaitFor([&] { return rowKeys(screen.tree()).size() == 5; }));

  item(screen.header(), "Clear")->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return rowKeys(screen.tree()).empty(); }));
  EXPECT_TRUE(storedFile().empty()) << "the hidden keys go too";
  EXPECT_FALSE(item(screen.header(), "Copy")->isEnabled());
  EXPECT_FALSE(item(screen.header(), "Clear")->isEnabled());
}

TEST_F(DebugWindows, AClickOnTheTextOfARowSelectsTheRowForDelete) {
  auto& suite = UserDefaults::standard();
  for (const char* key : {"alpha", "beta", "gamma"}) suite.set(key, std::string("value of ") + key);
  DebugUserDefaultsScreen screen(pasteboard);
  screen.resize(500, 400);
  screen.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  auto valueText = [&](int row) {
    QWidget* shown = screen.tree()->itemWidget(screen.tree()->topLevelItem(0)->child(row), 0);
    return shown->findChildren<QLabel*>()[1];
  };

  QTest::mouseClick(valueText(0), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
  QTest::mouseClick(valueText(2), Qt::LeftButton, Qt::ControlModifier, QPoint(4, 4));
  EXPECT_EQ(screen.tree()->selectedItems().size(), 2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
  EXPECT_FALSE(storedFile().count("alpha") || storedFile().count("gamma"));
  EXPECT_TRUE(storedFile().count("beta"));

  ASSERT_TRUE(QTest::qWaitFor([&] { return rowKeys(screen.tree()).size() == 1; }));
  QTest::mouseClick(valueText(0), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
  EXPECT_TRUE(screen.tree()->topLevelItem(0)->child(0)->isSelected()) << "the rebuilt rows select the same way";
}

}  // namespace
}  // namespace kit
