#include "platform/system/synthetic_keys.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWindow>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "e2e/key_test_support.h"
#include "e2e/x11_session_support.h"
#include "platform/system/hot_keys.h"

namespace {

using platform::HotKeys;
using platform::SyntheticKeys;

struct KeyPress {
  int key;
  Qt::KeyboardModifiers modifiers;
};

// A focused window of a real client (Qt's own connection), recording the key presses it receives.
class FocusedWindow : public QWindow {
 public:
  std::vector<KeyPress> presses;

  bool receivedChord(int key) const {
    for (const auto& press : presses) {
      if (press.key == key) return press.modifiers == Qt::ControlModifier;
    }
    return false;
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override { presses.push_back({event->key(), event->modifiers()}); }
};

class SyntheticKeysTest : public x11test::SessionTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SyntheticKeys::canPost());
    window = std::make_unique<FocusedWindow>();
    window->resize(200, 100);
    window->show();
    window->requestActivate();
    ASSERT_TRUE(x11test::processEventsUntil([&] { return window->isExposed() && window->isActive(); }));
    HotKeys::shared().setEventHandler([this](const platform::HotKeyEvent& event) {
      hotKeyEvents.push_back(event);
      if (onHotKey) onHotKey(event);
    });
  }
  void TearDown() override {
    for (uint32_t id : {30u, 31u}) HotKeys::shared().unregister(id);
    HotKeys::shared().setEventHandler({});
  }

  std::unique_ptr<FocusedWindow> window;
  std::vector<platform::HotKeyEvent> hotKeyEvents;
  std::function<void(const platform::HotKeyEvent&)> onHotKey;
};

TEST_F(SyntheticKeysTest, ChordReachesTheFocusedWindowAndNotOurOwnGrabOfIt) {
  // A user shortcut equal to the chord must not catch it (that would loop).
  ASSERT_TRUE(HotKeys::shared().registerHotKey(30, 8, 256));
  SyntheticKeys::postCommandChord(8);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window->receivedChord(Qt::Key_C); }));
  x11test::processEventsFor(std::chrono::milliseconds(300));
  EXPECT_TRUE(hotKeyEvents.empty());

  // The grab is back afterwards.
  xdotool("key ctrl+c");
  EXPECT_TRUE(x11test::processEventsUntil([&] { return hotKeyEvents.size() == 2; }));
}

TEST_F(SyntheticKeysTest, ModifiersTheUserStillHoldsAreLetGoFirst) {
  xdotool("keydown shift keydown alt");
  x11test::processEventsFor(std::chrono::milliseconds(100));
  SyntheticKeys::postCommandChord(9);
  EXPECT_TRUE(x11test::processEventsUntil([&] { return window->receivedChord(Qt::Key_V); }));
  xdotool("keyup alt keyup shift");
}

TEST_F(SyntheticKeysTest, ChordPostedWhileTheShortcutIsStillHeldReachesTheWindow) {
  // While the shortcut's key is down its passive grab is active and would take the fake keys itself.
  ASSERT_TRUE(HotKeys::shared().registerHotKey(31, 40, 256 | 512));
  onHotKey = [](const platform::HotKeyEvent& event) {
    if (event.pressed) SyntheticKeys::postCommandChord(8);
  };
  xdotool("keydown ctrl+shift+k");
  EXPECT_TRUE(x11test::processEventsUntil([&] { return window->receivedChord(Qt::Key_C); }));
  xdotool("keyup k keyup shift keyup ctrl");
  x11test::processEventsFor(std::chrono::milliseconds(300));
}

}  // namespace
