#include "kit/ui/synthetic_events.h"

#include <gtest/gtest.h>

#include <Qt>

namespace kit {
namespace {

TEST(SyntheticEvents, FunctionKeysAreF1ToF35Only) {
  EXPECT_EQ(functionKeys().size(), 35u);
  EXPECT_TRUE(functionKeys().count(Qt::Key_F1) && functionKeys().count(Qt::Key_F35));
  for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp,
                  Qt::Key_PageDown, Qt::Key_Escape})
    EXPECT_EQ(functionKeys().count(key), 0u) << key;
  EXPECT_EQ(functionKeyGlobeSymbol(), "\xF0\x9F\x8C\x90\xEF\xB8\x8E");
}

TEST(SyntheticEvents, AMouseEventAtTheOriginStampedNow) {
  const platform::Event first = mouseEvent(platform::EventType::leftMouseDown);
  const platform::Event second = mouseEvent(platform::EventType::rightMouseUp);
  EXPECT_EQ(first.type, platform::EventType::leftMouseDown);
  EXPECT_EQ(second.type, platform::EventType::rightMouseUp);
  EXPECT_EQ(first.location.x, 0);
  EXPECT_EQ(first.location.y, 0);
  EXPECT_GT(first.timestamp, 0);
  EXPECT_LE(first.timestamp, second.timestamp);
}

}  // namespace
}  // namespace kit
