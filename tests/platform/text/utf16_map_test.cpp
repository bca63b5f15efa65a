#include "platform/text/utf16_map.h"

#include <gtest/gtest.h>

namespace {

using platform::ByteRange;

TEST(Utf16Map, ConvertsOffsetsBothWaysAndRefusesOffsetsInsideAScalar) {
  const platform::Utf16Map map("aé😀b");  // bytes 1, 2, 4, 1; units 1, 1, 2, 1
  EXPECT_EQ(map.utf16(), u"aé😀b");
  EXPECT_EQ(map.utf8Offset(2), 3u);
  EXPECT_EQ(map.utf8Offset(4), 7u);
  EXPECT_EQ(map.utf8Offset(3), std::nullopt);  // between the surrogates
  EXPECT_EQ(map.utf16Offset(7), 4u);
  EXPECT_EQ(map.utf16Offset(2), std::nullopt);  // inside "é"
  EXPECT_EQ(map.utf16Offset(9), std::nullopt);
  EXPECT_EQ(map.byteRange(2, 5), (ByteRange{3, 5}));
  EXPECT_EQ(map.byteRange(3, 5), std::nullopt);
  EXPECT_EQ(map.utf8OffsetRoundingDown(3), 3u);
  EXPECT_EQ(map.utf8OffsetRoundingUp(3), 7u);
}

TEST(Utf16Map, EveryInvalidByteStandsAsOneReplacementCharacter) {
  const platform::Utf16Map map("a\xff\xc3z");
  EXPECT_EQ(map.utf16(), u"a\uFFFD\uFFFDz");
  EXPECT_EQ(map.utf8Offset(3), 3u);
}

}  // namespace
