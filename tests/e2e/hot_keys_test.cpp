#include "platform/system/hot_keys.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QKeyEvent>
#include <QWindow>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "e2e/key_test_support.h"
#include "e2e/x11_session_support.h"
#include "platform/system/keyboard_layout.h"
#include "platform/system/xcb_reply.h"

namespace {

using platform::HotKeyEvent;
using platform::HotKeys;

constexpr int64_t keyV = 9, keyK = 40, keyC = 8;
constexpr int64_t ctrlFlag = 256, shiftFlag = 512, altFlag = 2048;

class HotKeysTest : public x11test::SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hotKeys().isAvailable());
    hotKeys().setEventHandler([this](const HotKeyEvent& event) { events.push_back(event); });
  }
  void TearDown() override {
    for (uint32_t id : ids) hotKeys().unregister(id);
    hotKeys().setEventHandler({});
  }
  static HotKeys& hotKeys() { return HotKeys::shared(); }

  bool registerKey(uint32_t id, int64_t key, int64_t modifiers) {
    ids.push_back(id);
    return hotKeys().registerHotKey(id, key, modifiers);
  }
  // Presses and releases the chord, then waits for the events it gives.
  void press(const std::string& chord) {
    events.clear();
    xdotool("key " + chord);
    x11test::processEventsUntil([&] { return events.size() >= 2; }, std::chrono::seconds(3));
    x11test::processEventsFor(std::chrono::milliseconds(100));
  }
  void pressExpectingNothing(const std::string& chord) {
    events.clear();
    xdotool("key " + chord);
    x11test::processEventsFor(std::chrono::milliseconds(400));
  }
  bool firedOnce(uint32_t id) const {
    return events.size() == 2 && events[0].id == id && events[0].pressed && events[1].id == id && !events[1].pressed;
  }

  std::vector<HotKeyEvent> events;
  std::vector<uint32_t> ids;
};

TEST_F(HotKeysTest, PressAndReleaseFireOnceEachWhateverTheLockKeys) {
  ASSERT_TRUE(registerKey(1, keyV, ctrlFlag | shiftFlag));

  press("ctrl+shift+v");
  EXPECT_TRUE(firedOnce(1)) << events.size();

  xdotool("key Caps_Lock");
  press("ctrl+shift+v");
  EXPECT_TRUE(firedOnce(1)) << "with Caps Lock on";
  xdotool("key Caps_Lock");

  xdotool("key Num_Lock");
  press("ctrl+shift+v");
  EXPECT_TRUE(firedOnce(1)) << "with Num Lock on";
  xdotool("key Caps_Lock");
  press("ctrl+shift+v");
  EXPECT_TRUE(firedOnce(1)) << "with both on";
  xdotool("key Caps_Lock Num_Lock");

  // Other modifiers make another combination.
  pressExpectingNothing("ctrl+alt+shift+v");
  EXPECT_TRUE(events.empty());
  pressExpectingNothing("ctrl+v");
  EXPECT_TRUE(events.empty());
}

TEST_F(HotKeysTest, HeldKeyIsOnePressAndOneRelease) {
  ASSERT_TRUE(registerKey(2, keyK, ctrlFlag | altFlag));
  events.clear();
  xdotool("keydown ctrl+alt+k sleep 1.2 keyup ctrl+alt+k &");
  x11test::processEventsUntil([&] { return events.size() >= 2; }, std::chrono::seconds(4));
  x11test::processEventsFor(std::chrono::milliseconds(300));
  EXPECT_TRUE(firedOnce(2)) << events.size() << " events";
}

TEST_F(HotKeysTest, ReleaseAfterLettingGoOfTheModifiersFirst) {
  ASSERT_TRUE(registerKey(3, keyK, ctrlFlag | shiftFlag));
  events.clear();
  xdotool("keydown ctrl+shift+k keyup ctrl keyup shift keyup k");
  x11test::processEventsUntil([&] { return events.size() >= 2; });
  EXPECT_TRUE(firedOnce(3));
}

TEST_F(HotKeysTest, CombinationHeldByAnotherClientIsRefusedAndLeavesNothingBehind) {
  const uint8_t keycode = *platform::xKeycodeForVirtualKey(keyK);
  {
    KeyGrabbingClient other;
    // The other client holds only the plain variant; we would need all four.
    ASSERT_TRUE(other.grab(keycode, 0x04 | 0x08));
    EXPECT_TRUE(hotKeys().isTakenBySomeoneElse(keyK, ctrlFlag | altFlag));
    EXPECT_FALSE(registerKey(4, keyK, ctrlFlag | altFlag));
    EXPECT_FALSE(hotKeys().isTakenBySomeoneElse(keyK, ctrlFlag | shiftFlag));
  }
  x11test::processEventsFor(std::chrono::milliseconds(100));
  // Our partial grabs were undone: a third client gets every variant.
  KeyGrabbingClient third;
  for (uint16_t lock : {0x00, 0x02, 0x10, 0x12}) EXPECT_TRUE(third.grab(keycode, 0x04 | 0x08 | lock)) << lock;
}

TEST_F(HotKeysTest, OwnCombinationIsNotReportedAsTaken) {
  ASSERT_TRUE(registerKey(5, keyV, ctrlFlag | shiftFlag));
  EXPECT_FALSE(hotKeys().isTakenBySomeoneElse(keyV, ctrlFlag | shiftFlag));
  // Asking must not have dropped our grab.
  press("ctrl+shift+v");
  EXPECT_TRUE(firedOnce(5));
}

TEST_F(HotKeysTest, SuspendedGrabsDoNotFireAndNestedSuspensionsHold) {
  ASSERT_TRUE(registerKey(6, keyV, ctrlFlag | shiftFlag));
  ASSERT_TRUE(registerKey(7, keyK, ctrlFlag | shiftFlag));

  hotKeys().suspend(6);
  pressExpectingNothing("ctrl+shift+v");
  EXPECT_TRUE(events.empty());

  hotKeys().suspendAll();
  hotKeys().suspendAll();
  pressExpectingNothing("ctrl+shift+k");
  EXPECT_TRUE(events.empty());
  hotKeys().resumeAll();
  pressExpectingNothing("ctrl+shift+k");
  EXPECT_TRUE(events.empty()) << "still suspended once";
  hotKeys().resumeAll();
  press("ctrl+shift+k");
  EXPECT_TRUE(firedOnce(7));
  pressExpectingNothing("ctrl+shift+v");
  EXPECT_TRUE(events.empty()) << "suspended one by one, so not resumed by resumeAll";

  EXPECT_TRUE(hotKeys().resume(6));
  press("ctrl+shift+v");
  EXPECT_TRUE(firedOnce(6));
}

TEST_F(HotKeysTest, ResumeThatIsRefusedDropsTheRecord) {
  ASSERT_TRUE(registerKey(8, keyK, ctrlFlag | altFlag | shiftFlag));
  hotKeys().suspend(8);
  KeyGrabbingClient other;
  ASSERT_TRUE(other.grab(*platform::xKeycodeForVirtualKey(keyK), 0x04 | 0x08 | 0x01));
  EXPECT_FALSE(hotKeys().resume(8));
  EXPECT_FALSE(hotKeys().resume(8)) << "no record left";
}

// Stands for a menu: an active window of ours that counts the key presses it gets.
struct MenuStandIn : QObject {
  MenuStandIn() {
    window.resize(200, 100);
    window.show();
    window.requestActivate();
    window.installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) ++(static_cast<QKeyEvent*>(e)->isAutoRepeat() ? repeats : keys);
    return false;
  }
  QWindow window;
  int keys = 0, repeats = 0;
};

TEST_F(HotKeysTest, WhileAMenuHoldsTheKeyboardItsKeyEventsAreMatched) {
  MenuStandIn spy;
  ASSERT_TRUE(x11test::processEventsUntil([&] { return spy.window.isExposed() && spy.window.isActive(); }));

  ASSERT_TRUE(registerKey(9, keyC, ctrlFlag | shiftFlag));
  hotKeys().suspendAll();  // what a menu does: its keyboard grab would defeat ours anyway
  hotKeys().setMenuOpen(true);
  press("ctrl+shift+c");
  EXPECT_TRUE(firedOnce(9));
  EXPECT_EQ(spy.keys, 2) << "the matched key is consumed, the modifiers pass";

  hotKeys().setMenuOpen(false);
  spy.keys = 0;
  pressExpectingNothing("ctrl+shift+c");
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(spy.keys, 3);
  hotKeys().resumeAll();
}

TEST_F(HotKeysTest, AroundAMenuNoPressOrReleaseIsLostAndRepeatsReachTheMenu) {
  MenuStandIn menu;
  ASSERT_TRUE(x11test::processEventsUntil([&] { return menu.window.isExposed() && menu.window.isActive(); }));
  ASSERT_TRUE(registerKey(11, keyC, ctrlFlag | altFlag));
  const auto release = [this] {
    xdotool("keyup c keyup alt keyup ctrl");
    x11test::processEventsUntil([&] { return events.size() >= 2; });
  };

  events.clear();
  xdotool("keydown ctrl+alt+c");
  ASSERT_TRUE(x11test::processEventsUntil([&] { return !events.empty(); }));
  hotKeys().suspendAll();  // a menu opens
  hotKeys().setMenuOpen(true);
  release();
  EXPECT_TRUE(firedOnce(11));

  events.clear();
  xdotool("keydown ctrl+alt+c sleep 1");
  ASSERT_TRUE(x11test::processEventsUntil([&] { return menu.repeats > 0; })) << "repeats go to the menu";
  // Let go after the menu closed, before a repeat could bring it to our grab.
  x11test::Client server;
  uint32_t repeat = XCB_AUTO_REPEAT_MODE_OFF;
  xcb_change_keyboard_control(server, XCB_KB_AUTO_REPEAT_MODE, &repeat);
  server.roundTrip();
  hotKeys().setMenuOpen(false);
  hotKeys().resumeAll();
  release();
  EXPECT_TRUE(firedOnce(11));
  press("ctrl+alt+c");
  EXPECT_TRUE(firedOnce(11)) << "and pressed again";
  repeat = XCB_AUTO_REPEAT_MODE_ON;
  xcb_change_keyboard_control(server, XCB_KB_AUTO_REPEAT_MODE, &repeat);
  server.roundTrip();
}

// Moves the modifier keys of one modifier bit to another, as a desktop's keyboard settings may; restores them.
class ModifierMove {
 public:
  ModifierMove(int from, int to) {
    auto reply = platform::xcbReply(xcb_get_modifier_mapping_reply(c_, xcb_get_modifier_mapping(c_), nullptr));
    perModifier_ = reply->keycodes_per_modifier;
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
    original_.assign(keycodes, keycodes + 8 * perModifier_);
    std::vector<xcb_keycode_t> moved = original_;
    for (int i = 0; i < perModifier_; ++i) {
      moved[to * perModifier_ + i] = original_[from * perModifier_ + i];
      moved[from * perModifier_ + i] = 0;
    }
    apply(moved);
  }
  ~ModifierMove() { apply(original_); }

 private:
  void apply(const std::vector<xcb_keycode_t>& keycodes) {
    platform::xcbReply(xcb_set_modifier_mapping_reply(
        c_, xcb_set_modifier_mapping(c_, static_cast<uint8_t>(perModifier_), keycodes.data()), nullptr));
  }
  x11test::Client c_;
  int perModifier_ = 0;
  std::vector<xcb_keycode_t> original_;
};

TEST_F(HotKeysTest, ShortcutWithSuperFollowsSuperToAnotherModifierBit) {
  ASSERT_TRUE(registerKey(10, keyK, 4096 | ctrlFlag));
  press("super+ctrl+k");
  ASSERT_TRUE(firedOnce(10));
  {
    ModifierMove move(6, 5);  // Mod4 -> Mod3
    x11test::processEventsFor(std::chrono::milliseconds(300));
    press("super+ctrl+k");
    EXPECT_TRUE(firedOnce(10)) << "grabbed again with the new Super bit";
  }
  x11test::processEventsFor(std::chrono::milliseconds(300));
  press("super+ctrl+k");
  EXPECT_TRUE(firedOnce(10)) << "and back";
}

using KeyboardLayoutTest = x11test::SessionTest;

TEST_F(KeyboardLayoutTest, CharactersComeFromTheFirstLatinGroup) {
  auto* layout = platform::KeyboardLayout::shared();
  ASSERT_NE(layout, nullptr);
  EXPECT_EQ(layout->characterForVirtualKey(0), "a");
  EXPECT_EQ(layout->characterForVirtualKey(27), "-");

  // The layout follows keymap changes by itself.
  ASSERT_EQ(std::system("setxkbmap -layout ru,de"), 0);
  EXPECT_TRUE(x11test::processEventsUntil([&] { return layout->characterForVirtualKey(6) == "y"; }))
      << "Z position of a German keyboard, the first Latin group";
  ASSERT_EQ(std::system("setxkbmap -layout fr"), 0);
  EXPECT_TRUE(x11test::processEventsUntil([&] { return layout->characterForVirtualKey(0) == "q"; }));
  EXPECT_EQ(layout->currentInputSource().id, "fr");
  EXPECT_EQ(layout->currentInputSource().localizedName, "French");
  ASSERT_EQ(std::system("setxkbmap -layout de -variant nodeadkeys"), 0);
  EXPECT_TRUE(x11test::processEventsUntil([&] { return layout->currentInputSource().id == "de(nodeadkeys)"; }));
  ASSERT_EQ(std::system("setxkbmap -layout us"), 0);
}

}  // namespace
