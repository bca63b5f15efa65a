#include "kit/ui/menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/modifier_flags.h"
#include "support/title_shown.h"

namespace kit {
namespace {

namespace Flag = platform::ModifierFlag;

TEST(ZvMenuTest, ReportsUpdateBeforeOpeningAndTheOpenStateToLateSubscribers) {
  ZvMenu menu;
  menu.addAction("Item");
  std::vector<std::string> events;
  auto updates = menu.needsUpdatePublisher().sink([&](const platform::rx::Unit&) { events.push_back("update"); });
  auto openStates = menu.isOpenPublisher().sink([&](bool open) { events.push_back(open ? "open" : "closed"); });
  menu.onUpdate = [&] { events.push_back("onUpdate"); };
  menu.onUpdateLegacy = [&](ZvMenu& updated) {
    EXPECT_EQ(&updated, &menu);
    events.push_back("onUpdateLegacy");
  };

  menu.popup(QPoint(10, 10));
  EXPECT_TRUE(menu.isOpen());
  bool lateSubscriberSaw = false;
  auto late = menu.isOpenPublisher().sink([&](bool open) { lateSubscriberSaw = open; });
  EXPECT_TRUE(lateSubscriberSaw);
  menu.hide();

  EXPECT_FALSE(menu.isOpen());
  EXPECT_EQ(events, (std::vector<std::string>{"closed", "update", "onUpdate", "onUpdateLegacy", "open", "closed"}));
}

TEST(CallbackMenuItemTest, KeyEquivalentsTakeCtrlUnlessModifiersAreGiven) {
  CallbackMenuItem plain("Quit", "q", std::nullopt, true, false, false, [] {});
  EXPECT_EQ(plain.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  CallbackMenuItem withModifiers("X", "q", Flag::option | Flag::command, true, false, false, [] {});
  EXPECT_EQ(withModifiers.shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Q));
  CallbackMenuItem superShift("X", ",", Flag::control | Flag::shift, true, false, false, [] {});
  EXPECT_EQ(superShift.shortcut(), QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_Comma));
  CallbackMenuItem none("X", "", std::nullopt, true, false, false, [] {});
  EXPECT_TRUE(none.shortcut().isEmpty());

  // Special keys come as their characters, and an upper-case letter is typed with Shift.
  const std::vector<std::pair<std::string, QKeySequence>> keys = {
      {"\r", QKeySequence(Qt::CTRL | Qt::Key_Return)},      {"\x7f", QKeySequence(Qt::CTRL | Qt::Key_Backspace)},
      {"\x1b", QKeySequence(Qt::CTRL | Qt::Key_Escape)},    {"\uF700", QKeySequence(Qt::CTRL | Qt::Key_Up)},
      {"\uF70F", QKeySequence(Qt::CTRL | Qt::Key_F12)},     {"\uF728", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
      {"Q", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q)}};
  for (const auto& [key, expected] : keys) EXPECT_EQ(keySequenceForKeyEquivalent(key, Flag::command), expected) << key;
  ZvMenu menu;
  auto* send = new CallbackMenuItem(
      "Send", "\r", std::nullopt, true, false, false, [] {}, &menu);
  auto* help = new CallbackMenuItem(
      "Help", "?", std::nullopt, true, false, false, [] {}, &menu);
  menu.addActions({send, help});
  const QKeyEvent ctrlReturn(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier, "\r");
  EXPECT_EQ(menu.itemForKeyEquivalent(ctrlReturn), send);
  // A character typed with Shift is that character's key equivalent; a letter with Shift is not the letter's.
  const QKeyEvent ctrlQuestion(QEvent::KeyPress, Qt::Key_Question, Qt::ControlModifier | Qt::ShiftModifier, "?");
  EXPECT_EQ(menu.itemForKeyEquivalent(ctrlQuestion), help);
  menu.addAction(new CallbackMenuItem(
      "Quit", "q", std::nullopt, true, false, false, [] {}, &menu));
  const QKeyEvent ctrlShiftQ(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier, "Q");
  EXPECT_EQ(menu.itemForKeyEquivalent(ctrlShiftQ), nullptr);
}

TEST(CallbackMenuItemTest, AnItemMayRemoveItselfWhileItsCallbackRuns) {
  QMenu menu;
  std::string read;
  menu.addAction(new CallbackMenuItem(
      "Clear", "", std::nullopt, true, false, false,
      [&menu, &read, text = std::string("the menu was rebuilt while the item ran")] {
        menu.clear();  // deletes the item
        read = text;
      },
      &menu));
  menu.actions().front()->trigger();
  EXPECT_EQ(read, "the menu was rebuilt while the item ran");
}

TEST(CallbackMenuItemTest, TheTitlesOfItemsAndSubmenusAreShownAsWritten) {
  ZvMenu menu;
  auto* item = new CallbackMenuItem(
      "Fish & Chips", "", std::nullopt, true, false, false, [] {}, &menu);
  menu.addAction(item);
  EXPECT_EQ(titleShown(menu, *item), "Fish & Chips");
  auto* submenu = new ZvMenu("Q&A", &menu);
  menu.addMenu(submenu);
  EXPECT_EQ(titleShown(menu, *submenu->menuAction()), "Q&A");
}

TEST(CallbackMenuItemTest, APlainMenuEnablesItsItemsByTheValidationButAZvMenuKeepsTheirOwnState) {
  for (bool isZvMenu : {false, true}) {
    std::unique_ptr<QMenu> menu = isZvMenu ? std::make_unique<ZvMenu>() : std::make_unique<QMenu>();
    auto build = [&menu] {
      menu->clear();
      menu->addAction(new CallbackMenuItem(
          "Keep", "", std::nullopt, true, false, false, [] {}, menu.get()));
      menu->addAction(new CallbackMenuItem(
          "Drop", "", std::nullopt, true, false, false, [] {}, menu.get()));
      menu->addAction(new CallbackMenuItem(
          "Off", "", std::nullopt, false, false, false, [] {}, menu.get()));
    };
    build();
    if (isZvMenu) static_cast<ZvMenu&>(*menu).onUpdate = build;
    auto enabledStates = [&menu] {
      std::vector<bool> states;
      for (QAction* action : menu->actions()) states.push_back(action->isEnabled());
      return states;
    };

    // Without a hook every item may be chosen, also one built disabled.
    auto* off = static_cast<CallbackMenuItem*>(menu->actions().back());
    EXPECT_TRUE(off->validateMenuItem(*off));
    menu->popup(QPoint(10, 10));
    menu->hide();
    EXPECT_EQ(enabledStates(), (std::vector<bool>{true, true, !isZvMenu}));

    build();
    std::vector<std::string> asked;
    CallbackMenuItem::validateCallback = [&asked](CallbackMenuItem& item) {
      asked.push_back(item.text().toStdString());
      return item.text() != "Drop";
    };
    menu->popup(QPoint(10, 10));
    menu->hide();
    CallbackMenuItem::validateCallback = {};
    if (isZvMenu) {
      EXPECT_TRUE(asked.empty());
      EXPECT_EQ(enabledStates(), (std::vector<bool>{true, true, false})) << "each item's own state decides";
    } else {
      EXPECT_EQ(asked, (std::vector<std::string>{"Keep", "Drop", "Off"}));
      EXPECT_EQ(enabledStates(), (std::vector<bool>{true, false, true}));
    }
  }
}

TEST(QuitItemTest, IsNamedAfterTheApplicationAndQuitsAfterItsActionHasReturned) {
  // The application's own name, whatever Qt was told.
  const QString qtName = QApplication::applicationName();
  QApplication::setApplicationName("another name");
  QMenu menu;
  CallbackMenuItem* quit = addQuitItem(menu);
  QApplication::setApplicationName(qtName);
  EXPECT_EQ(titleShown(menu, *quit), "Quit Quillet");
  EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

  QTimer::singleShot(0, quit, [quit] { quit->trigger(); });
  QTimer::singleShot(5000, [] { QApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
}

}  // namespace
}  // namespace kit
