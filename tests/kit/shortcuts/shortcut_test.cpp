#include "kit/shortcuts/shortcut.h"

#include <gtest/gtest.h>

#include "kit/foundation/json_coding.h"
#include "kit/foundation/tuples.h"
#include "kit/shortcuts/key_display_names.h"
#include "platform/system/modifier_flags.h"

namespace {

using kit::GlobalShortcuts::decodeShortcut;
using kit::GlobalShortcuts::encodeShortcut;
using kit::GlobalShortcuts::Key;
using kit::GlobalShortcuts::Shortcut;
namespace flag = platform::ModifierFlag;

TEST(ShortcutJson, WritesTheStoredFormCompactInMemberOrder) {
  EXPECT_EQ(encodeShortcut({9, 768}), R"({"carbonKeyCode":9,"carbonModifiers":768})");
  EXPECT_EQ(decodeShortcut(encodeShortcut({122, 6912})), (Shortcut{122, 6912}));
}

TEST(ShortcutJson, ReadsAnyOrderAndSpacingAndKeepsStoredBits) {
  EXPECT_EQ(decodeShortcut(R"({"carbonModifiers":256,"carbonKeyCode":8})"), (Shortcut{8, 256}));
  EXPECT_EQ(decodeShortcut(" {\n \"carbonKeyCode\" : 9 , \"carbonModifiers\":768, \"extra\": [1,{}] }\n"),
            (Shortcut{9, 768}));
  // Bits outside the four modifiers survive decoding (only construction normalises).
  EXPECT_EQ(decodeShortcut(R"({"carbonKeyCode":9,"carbonModifiers":1792})"), (Shortcut{9, 1792}));
}

TEST(ShortcutJson, RefusesWhatIsNotAStoredShortcut) {
  for (const char* text : {
           "",
           "not json",
           "false",
           R"({"carbonKeyCode":9})",
           R"({"carbonModifiers":768})",
           R"({"carbonKeyCode":"9","carbonModifiers":768})",
           R"({"carbonKeyCode":9.5,"carbonModifiers":768})",
           R"({"carbonKeyCode":true,"carbonModifiers":768})",
           R"({"carbonKeyCode":null,"carbonModifiers":768})",
           R"({"carbonKeyCode":-1,"carbonModifiers":768})",
           R"({"carbonKeyCode":9,"carbonModifiers":4294967296})",
           R"({"carbonKeyCode":18446744073709551615,"carbonModifiers":0})",
           R"([9,768])",
           "{\"carbonKeyCode\":9,\"carbonModifiers\":768,\"x\":\"\xff\"}",
       }) {
    EXPECT_EQ(decodeShortcut(text), std::nullopt) << text;
  }
  EXPECT_EQ(decodeShortcut(R"({"carbonKeyCode":4294967295,"carbonModifiers":0})"), (Shortcut{4294967295, 0}));
  // A whole number written with a fraction or an exponent is that number.
  EXPECT_EQ(decodeShortcut(R"({"carbonKeyCode":9.0,"carbonModifiers":2.56e2})"), (Shortcut{9, 256}));
}

TEST(ShortcutJson, CodesInArraysAndAsAMemberOfOtherValues) {
  const std::vector<Shortcut> shortcuts{{9, 768}, {8, 256}};
  const std::string text = kit::jsonText(kit::encodeJson(shortcuts));
  EXPECT_EQ(text, R"([{"carbonKeyCode":9,"carbonModifiers":768},{"carbonKeyCode":8,"carbonModifiers":256}])");
  EXPECT_EQ(kit::decodedJson<std::vector<Shortcut>>(text), shortcuts);
  EXPECT_EQ(kit::decodedJson<std::vector<Shortcut>>(R"([{"carbonKeyCode":-1,"carbonModifiers":0}])"), std::nullopt);
  using Named = kit::Tuple2<std::string, Shortcut>;
  const Named named{"paste", {9, 768}};
  EXPECT_EQ(kit::decodedJson<Named>(kit::jsonText(kit::encodeJson(named))), named);
}

TEST(ShortcutModifiers, OnlyTheFourModifiersConvertEitherWay) {
  EXPECT_EQ(kit::carbonModifiers(flag::control | flag::option | flag::shift | flag::command), 4096u + 2048 + 512 + 256);
  EXPECT_EQ(kit::carbonModifiers(flag::capsLock | flag::function | flag::numericPad | 0xFFFF), 0u);
  EXPECT_EQ(kit::modifierFlagsFromCarbon(256 | 512 | 1024 | 1), flag::command | flag::shift);
  EXPECT_EQ(Shortcut::make(9, 256 | 512 | 1024).carbonModifiers, 768);
  EXPECT_EQ(Shortcut::make(Key::v, flag::command | flag::shift | flag::capsLock), (Shortcut{9, 768}));
}

TEST(ShortcutModifiers, EventsGiveShortcutsOnlyForKeyDownAndKeyUp) {
  platform::Event event;
  event.type = platform::EventType::keyDown;
  event.keyCode = 8;
  event.modifierFlags = flag::command | flag::capsLock | flag::function;
  EXPECT_EQ(Shortcut::fromEvent(event), (Shortcut{8, 256}));
  event.type = platform::EventType::keyUp;
  EXPECT_EQ(Shortcut::fromEvent(event), (Shortcut{8, 256}));
  event.keyCode = 0;
  event.modifierFlags = 0;
  EXPECT_EQ(Shortcut::fromEvent(event), (Shortcut{0, 0})) << "a plain letter is still a shortcut";
  for (uint8_t type :
       {platform::EventType::flagsChanged, platform::EventType::leftMouseDown, platform::EventType::scrollWheel}) {
    event.type = type;
    EXPECT_EQ(Shortcut::fromEvent(event), std::nullopt) << int(type);
  }
}

}  // namespace
