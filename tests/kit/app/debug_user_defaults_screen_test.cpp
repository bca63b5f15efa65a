#include "kit/app/debug_user_defaults_screen.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>

#include "debug_windows_test_support.h"
#include "kit/ui/text_styles.h"
#include "support/screenshots.h"

namespace kit {
namespace {

TEST_F(DebugWindows, ThePreferencesPaneListsTheFileLiveAndDeletesCopiesAndClearsIt) {
  auto& suite = UserDefaults::standard();
  for (const char* key : {"beta", "alpha", "Zebra", "__private", "Zv_launchCount", "SessionIdHistory"})
    suite.set(key, std::string("value of ") + key);
  suite.set("multiline", std::string("one\ntwo"));
  DebugUserDefaultsScreen screen(pasteboard);
  EXPECT_EQ(screen.tree()->topLevelItem(0)->text(0), "Standard");
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
    return shown->findChildren<QTextEdit*>()[1]->viewport();
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

// Whether the row shows its value whole: the value's lines at the width it has fit in its height, and the row in the
// list's row.
::testing::AssertionResult showsWhole(QTreeWidget& tree, QTreeWidgetItem& row) {
  QWidget* shown = tree.itemWidget(&row, 0);
  auto* value = shown->findChildren<QTextEdit*>()[1];
  const QRect place = tree.visualItemRect(&row);
  if (value->document()->size().height() > value->viewport()->height() ||
      value->document()->idealWidth() > value->viewport()->width() || shown->height() > place.height() ||
      shown->width() > place.width())
    return ::testing::AssertionFailure() << row.data(0, Qt::UserRole).toString().toStdString() << ": "
                                         << value->document()->size().width() << "×"
                                         << value->document()->size().height() << " in " << value->viewport()->width()
                                         << "×" << value->viewport()->height() << ", row " << shown->width() << "×"
                                         << shown->height() << " in " << place.width() << "×" << place.height();
  return ::testing::AssertionSuccess();
}

TEST_F(DebugWindows, EveryValueIsShownWholeAtAnyWidthInTheFixedFontAsItIsStored) {
  auto& suite = UserDefaults::standard();
  std::string words;
  for (int word = 0; word < 120; ++word) words += (word ? " " : "") + std::string("word") + std::to_string(word);
  suite.set("long", words);
  suite.set("unbroken", std::string(300, 'x'));
  suite.set("lines", std::string("one\ntwo\nthree"));
  suite.set("real", 1.23456);
  suite.set("whole", 2.0);
  suite.set("data", platform::PlistData{"abc"});
  DebugUserDefaultsScreen screen(pasteboard);
  screen.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  QTreeWidgetItem* section = screen.tree()->topLevelItem(0);
  ASSERT_EQ(section->childCount(), 6);
  for (int width : {500, 300, 700}) {
    screen.resize(width, 400);
    for (int row = 0; row < section->childCount(); ++row)
      EXPECT_TRUE(QTest::qWaitFor([&] { return showsWhole(*screen.tree(), *section->child(row)); }, 2000))
          << showsWhole(*screen.tree(), *section->child(row)).message() << " at " << width;
  }
  screen.resize(300, 900);
  QTest::qWait(50);
  saveScreenshot(screen, "debug-preferences-300.png");

  auto valueOf = [&](const std::string& key) -> QTextEdit* {
    for (int row = 0; row < section->childCount(); ++row)
      if (section->child(row)->data(0, Qt::UserRole).toString().toStdString() == key)
        return screen.tree()->itemWidget(section->child(row), 0)->findChildren<QTextEdit*>()[1];
    return nullptr;
  };
  EXPECT_EQ(valueOf("real")->toPlainText(), "1.23456") << "not rounded, as the debug information does";
  EXPECT_EQ(valueOf("whole")->toPlainText(), "2.0");
  EXPECT_EQ(valueOf("data")->toPlainText(), "{length = 3, bytes = 0x616263}");
  EXPECT_EQ(valueOf("lines")->toPlainText(), "one\ntwo\nthree");
  EXPECT_TRUE(QFontInfo(valueOf("real")->font()).fixedPitch());
  EXPECT_DOUBLE_EQ(valueOf("real")->font().pointSizeF(), systemFontSize());
  item(screen.header(), "Copy")->trigger();
  EXPECT_NE(pasteboard.string(platform::PasteboardType::string)->find("real: 1.23456\n"), std::string::npos);
}

TEST_F(DebugWindows, FurtherSuitesAreListedUnderTheirRecordedTitleElseUnknown) {
  auto titled = UserDefaults::named("debug-screen-titled");
  auto untitled = UserDefaults::named("debug-screen-untitled");
  untitled->set("key", true);
  debugUserDefaultsSuites() = {{titled, "Widgets"}, {untitled, std::nullopt}};
  DebugUserDefaultsScreen screen(pasteboard);
  debugUserDefaultsSuites().clear();
  ASSERT_EQ(screen.tree()->topLevelItemCount(), 3);
  EXPECT_EQ(screen.tree()->topLevelItem(0)->text(0), "Standard");
  EXPECT_EQ(screen.tree()->topLevelItem(1)->text(0), "Widgets");
  EXPECT_EQ(screen.tree()->topLevelItem(2)->text(0), "<Unknown>");
  EXPECT_EQ(screen.tree()->topLevelItem(2)->childCount(), 1);
  Preferences::removeAll(*untitled);
}

}  // namespace
}  // namespace kit
