#include "platform/system/qt_input_events.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

#include "platform/system/modifier_flags.h"
#include "support/event_loop.h"

namespace platform {
namespace {

class QtInputEvents : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { eventloop::ensureGuiApplication(); }
  static Event converted(const QKeyEvent& key) {
    auto event = eventFromQt(key);
    EXPECT_TRUE(event);
    return event.value_or(Event{});
  }
};

TEST_F(QtInputEvents, KeysGetTheirVirtualKeyCodeByPositionElseByTheirQtKey) {
  // X keycode 38 is the key of "a" on every layout; what it types here does not matter.
  const Event byPosition = converted(QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, 38, 0, 0, "q"));
  EXPECT_EQ(byPosition.type, EventType::keyDown);
  EXPECT_EQ(byPosition.keyCode, 0);
  EXPECT_EQ(byPosition.modifierFlags, ModifierFlag::command);
  EXPECT_EQ(byPosition.specialKey, 0);
  EXPECT_EQ(converted(QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 255, 0, 0)).keyCode, std::nullopt)
      << "a keycode of no known key";

  // Made by a program, without an X keycode.
  EXPECT_EQ(converted(QKeyEvent(QEvent::KeyRelease, Qt::Key_V, Qt::ShiftModifier)).keyCode, 9);
  const Event f5 = converted(QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier));
  EXPECT_EQ(f5.keyCode, 96);
  EXPECT_EQ(f5.specialKey, Qt::Key_F5);
  EXPECT_EQ(converted(QKeyEvent(QEvent::KeyPress, Qt::Key_F35, Qt::NoModifier)).specialKey, Qt::Key_F35);
  EXPECT_EQ(converted(QKeyEvent(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier)).keyCode, 69);
  EXPECT_EQ(converted(QKeyEvent(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier)).keyCode, std::nullopt);
  EXPECT_EQ(converted(QKeyEvent(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier)).keyCode, 48);
  EXPECT_EQ(converted(QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier)).specialKey, 0)
      << "Space types a character";

  for (int modifier : {Qt::Key_Control, Qt::Key_NumLock, Qt::Key_Super_L}) {
    EXPECT_EQ(converted(QKeyEvent(QEvent::KeyPress, modifier, Qt::NoModifier)).type, EventType::flagsChanged);
  }
}

TEST_F(QtInputEvents, SpecialKeysOfVirtualKeyCodesAndBack) {
  EXPECT_EQ(specialQtKeyForVirtualKey(111), Qt::Key_F12);
  EXPECT_EQ(specialQtKeyForVirtualKey(36), Qt::Key_Return);
  EXPECT_EQ(specialQtKeyForVirtualKey(9), std::nullopt) << "V types its character";
  for (int64_t code : {36, 48, 49, 51, 53, 76, 111, 117, 122, 126}) {
    EXPECT_EQ(virtualKeyForQtKey(*specialQtKeyForVirtualKey(code), false), code);
  }
}

}  // namespace
}  // namespace platform
