#include "kit/ui/menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <string>
#include <vector>

#include "platform/system/modifier_flags.h"

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
}

TEST(QuitItemTest, QuitsAfterItsActionHasReturned) {
  QMenu menu;
  CallbackMenuItem* quit = addQuitItem(menu);

  QTimer::singleShot(0, quit, [quit] { quit->trigger(); });
  QTimer::singleShot(5000, [] { QApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
}

}  // namespace
}  // namespace kit
