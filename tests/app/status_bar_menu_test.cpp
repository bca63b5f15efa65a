#include "app/status_bar_menu.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <map>

#include "app/menu_bar_test_support.h"
#include "support/title_shown.h"

namespace app {
namespace {

// Qt leaves out separators at the top of a menu and next to another one unless told otherwise.
bool everySeparatorTakesRoom(QMenu& menu) {
  for (QAction* action : menu.actions()) {
    if (action->isSeparator() && menu.actionGeometry(action).height() == 0) return false;
  }
  return true;
}

// The separator lines drawn above `item`: rows down the middle of the drawn menu that are not its background, less
// those of the frame (as many as at its bottom).
int separatorLinesDrawnAbove(QMenu& menu, QAction* item) {
  menu.adjustSize();
  const QImage image = menu.grab().toImage();
  const int x = image.width() / 2;
  std::map<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) ++counts[image.pixel(x, y)];
  const QRgb background =
      std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  int frame = 0;
  while (frame < image.height() && image.pixel(x, image.height() - 1 - frame) != background) ++frame;
  int drawn = 0;
  for (int y = 0; y < menu.actionGeometry(item).top(); ++y) drawn += image.pixel(x, y) != background;
  return drawn - frame;
}

TEST_F(StatusBarMenuTest, TypicalMenuWithAutomaticClearingOffAndNothingToClear) {
  build();
  EXPECT_EQ(titles(menu), (std::vector<std::string>{"Clear Formatting Now", "-", "-", "Quick Settings",
                                                    "Automatically Clear Formatting", "-", "Settings…", "More", "-",
                                                    "-", "Quit Quillet"}));
  QAction* clear = item(menu, "Clear Formatting Now");
  EXPECT_FALSE(clear->isEnabled());
  EXPECT_EQ(clear->font().weight(), QFont::Normal);

  QAction* toggle = item(menu, "Automatically Clear Formatting");
  EXPECT_FALSE(toggle->isChecked());
  EXPECT_TRUE(everySeparatorTakesRoom(menu));
}

TEST_F(StatusBarMenuTest, WithAutomaticClearingOnThereIsNoClearItemAndTheSwitchIsChecked) {
  setAutomaticClearing(true);
  build();
  EXPECT_EQ(item(menu, "Clear Formatting Now"), nullptr);
  EXPECT_EQ(titles(menu).front(), "-");
  EXPECT_TRUE(everySeparatorTakesRoom(menu)) << "the leading separator is drawn too";
  EXPECT_EQ(separatorLinesDrawnAbove(menu, item(menu, "Quick Settings")), 2) << "both show, clear of the frame";
  EXPECT_TRUE(item(menu, "Automatically Clear Formatting")->isChecked());
}

TEST_F(StatusBarMenuTest, ClearFormattingNowCleansRichContentAndForgetsAnEarlierSourceApp) {
  cleanCopyFrom("org.example.Earlier");
  copyRichText();
  build();
  QAction* clear = item(menu, "Clear Formatting Now");
  ASSERT_TRUE(clear->isEnabled());
  EXPECT_EQ(clear->font().weight(), QFont::DemiBold);
  EXPECT_NE(clear->toolTip().toStdString(), clearFormattingNowDisabledToolTip);

  ASSERT_EQ(engine().pasteboardItemSourceApp(), "org.example.Earlier");
  clear->trigger();
  EXPECT_EQ(pasteboard.string(string), "Bold text");
  EXPECT_FALSE(pasteboard.string(html).has_value());
  EXPECT_EQ(engine().pasteboardItemSourceApp(), std::nullopt);

  // Cleaned content leaves nothing to clear.
  build();
  EXPECT_FALSE(item(menu, "Clear Formatting Now")->isEnabled());
}

TEST_F(StatusBarMenuTest, TheSourceAppSectionNeedsExactlyAltAndAKnownSource) {
  cleanCopyFrom("org.example.NotInstalled");
  copyRichText();
  build({.modifierFlags = Flag::option});
  EXPECT_EQ(titles(menu), (std::vector<std::string>{"-", "Source App of Last Clipboard Item",
                                                    "org.example.NotInstalled", "-", "Clear Formatting Now", "-", "-",
                                                    "Quick Settings", "Automatically Clear Formatting", "-",
                                                    "Settings…", "More", "-", "-", "Quit Quillet"}));

  build({.modifierFlags = Flag::option | Flag::capsLock | Flag::numericPad});
  EXPECT_NE(item(menu, "Source App of Last Clipboard Item"), nullptr);
  build({.modifierFlags = Flag::option | Flag::shift});
  EXPECT_EQ(item(menu, "Source App of Last Clipboard Item"), nullptr);
  engine().forgetSourceApp();
  build({.modifierFlags = Flag::option});
  EXPECT_EQ(item(menu, "Source App of Last Clipboard Item"), nullptr);

  // The source is whatever the copying program wrote: it is shown as it is.
  cleanCopyFrom("org.example.Q&A");
  build({.modifierFlags = Flag::option});
  const auto actions = menu.actions();
  const auto header = std::find(actions.begin(), actions.end(), item(menu, "Source App of Last Clipboard Item"));
  ASSERT_NE(header, actions.end());
  EXPECT_EQ(titleShown(menu, **(header + 1)), "org.example.Q&A");
}

TEST_F(StatusBarMenuTest, EachOpeningRebuildsFromScratchAndTheSwitchFlipsThePreference) {
  menu.onUpdate = [this] { build(); };
  menu.popup(QPoint(10, 10));
  menu.hide();
  menu.popup(QPoint(10, 10));
  EXPECT_EQ(titles(menu).size(), 11u);
  item(menu, "Automatically Clear Formatting")->trigger();
  menu.hide();
  EXPECT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));
  menu.popup(QPoint(10, 10));
  EXPECT_EQ(item(menu, "Clear Formatting Now"), nullptr);
  EXPECT_TRUE(item(menu, "Automatically Clear Formatting")->isChecked());
  menu.hide();
}

TEST_F(StatusBarMenuTest, TheSwitchShowsTheToggleShortcutAndFollowsItsChangesWhileOpen) {
  const auto& name = kit::GlobalShortcuts::Names::toggleAutomaticallyClearFormatting();
  build();
  EXPECT_TRUE(item(menu, "Automatically Clear Formatting")->shortcut().isEmpty());
  kit::GlobalShortcuts::setShortcut(kit::GlobalShortcuts::Shortcut::make(96, 256), name);  // Ctrl+F5
  EXPECT_EQ(item(menu, "Automatically Clear Formatting")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F5));
  // The shortcut works while the menu is open, as it shows it: the menu closes and the switch flips.
  menu.popup(QPoint(10, 10));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
  QTest::keyClick(&menu, Qt::Key_F5, Qt::ControlModifier);
  EXPECT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));
  EXPECT_FALSE(menu.isVisible());
  kit::GlobalShortcuts::setShortcut(std::nullopt, name);
  EXPECT_TRUE(item(menu, "Automatically Clear Formatting")->shortcut().isEmpty());
}

}  // namespace
}  // namespace app
