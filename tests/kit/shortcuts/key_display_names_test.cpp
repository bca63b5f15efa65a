#include "kit/shortcuts/key_display_names.h"

#include <gtest/gtest.h>

#include <sstream>

#include "kit/shortcuts/shortcut.h"
#include "platform/system/modifier_flags.h"

namespace {

using kit::GlobalShortcuts::Key;
namespace flag = platform::ModifierFlag;

TEST(ShortcutDisplay, ModifiersComeFirstInAFixedOrder) {
  EXPECT_EQ(kit::symbolicDescription(flag::shift | flag::command | flag::control | flag::option),
            "Ctrl+Alt+Shift+Super+");
  EXPECT_EQ(kit::GlobalShortcuts::description({Key::space.rawValue, 4096 | 2048}), "Alt+Super+Space");
  EXPECT_EQ(kit::GlobalShortcuts::description({Key::return_.rawValue, 256}), "Ctrl+\u21A9");
  EXPECT_EQ(kit::GlobalShortcuts::description({500, 256}), "Ctrl+\uFFFD") << "a key without text";
}

TEST(ShortcutDisplay, TheGlobeOfTheFnKeyFollowsTheOtherModifiersAndOtherFlagsAddNothing) {
  EXPECT_EQ(kit::symbolicDescription(flag::function | flag::command), "Ctrl+\U0001F310\uFE0E+");
  EXPECT_EQ(kit::symbolicDescription(flag::function | flag::control | flag::shift), "Shift+Super+\U0001F310\uFE0E+");
  EXPECT_EQ(kit::symbolicDescription(flag::capsLock | flag::numericPad | 0xFFFF), "");
}

TEST(ShortcutDisplay, ModifierFlagsPrintAsTheirSymbolicDescription) {
  const kit::ModifierFlags flags = flag::command | flag::shift;
  std::ostringstream printed;
  printed << flags;
  EXPECT_EQ(printed.str(), "Ctrl+Shift+");
  EXPECT_EQ(flags.description(), "Ctrl+Shift+");
  EXPECT_EQ(kit::GlobalShortcuts::Shortcut({9, 256 | 512}).modifiers(), flags);
}

TEST(ShortcutDisplay, KeyCombinationsForQtMenus) {
  using kit::GlobalShortcuts::keyCombination;
  EXPECT_EQ(keyCombination({Key::f12.rawValue, 0}), QKeyCombination(Qt::Key_F12));
  EXPECT_EQ(keyCombination({Key::space.rawValue, 256 | 512}),
            QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Space));
  EXPECT_EQ(keyCombination({Key::return_.rawValue, 2048 | 4096}),
            QKeyCombination(Qt::AltModifier | Qt::MetaModifier, Qt::Key_Return));
  EXPECT_EQ(keyCombination({Key::keypadPlus.rawValue, 256}),
            QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus));
  EXPECT_EQ(keyCombination({500, 256}), std::nullopt);
}

}  // namespace
