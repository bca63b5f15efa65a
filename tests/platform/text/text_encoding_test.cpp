#include <gtest/gtest.h>

#include "platform/text/grapheme.h"
#include "platform/text/utf16_map.h"
#include "platform/text/utf8.h"

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
  EXPECT_EQ(platform::sanitizedUtf8("a\xff\xe2\x82"), "a\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(platform::toUtf8(u"\xD800x"), "\uFFFDx");
  EXPECT_FALSE(platform::isValidUtf8("\xed\xa0\x80"));  // an encoded surrogate
  EXPECT_FALSE(platform::isValidUtf8("\xc0\xaf"));      // an overlong form
}

TEST(Graphemes, CountAndBoundariesFollowUserPerceivedCharacters) {
  const std::string text = "e\u0301👍🏽🇩🇪\r\nx";
  EXPECT_EQ(platform::graphemeCount(text), 5u);
  EXPECT_EQ(platform::graphemeCount(text, 2), 2u);
  EXPECT_EQ(platform::graphemes(text)[1], "👍🏽");
  EXPECT_EQ(platform::graphemeCount("\xff\xfe"), 2u);
  EXPECT_EQ(platform::graphemeCount(std::string(100, 'a'), 10), 10u);
  // A range that cuts a character grows to hold it whole.
  EXPECT_EQ(platform::rangeOfComposedCharacterSequences(text, {1, 1}), (ByteRange{0, 3}));
  EXPECT_EQ(platform::rangeOfComposedCharacterSequences(text, {4, 2}), (ByteRange{3, 8}));
  // Flags pair their regional indicators from the start of the run, however far back it begins.
  const std::string flags = "ab🇩🇪🇫🇷🇮🇹";
  EXPECT_EQ(platform::rangeOfComposedCharacterSequences(flags, {14, 1}), (ByteRange{10, 8}));
  EXPECT_EQ(platform::rangeOfComposedCharacterSequences(flags, {18, 0}), (ByteRange{18, 0}));
  EXPECT_EQ(platform::rangeOfComposedCharacterSequences(flags, {26, 0}), (ByteRange{26, 0}));
}

TEST(Graphemes, PrefixesCompareWholeCharacters) {
  EXPECT_FALSE(platform::hasCharacterPrefix("e\u0301tude", "e"));
  EXPECT_TRUE(platform::hasCharacterPrefix("e\u0301tude", "e\u0301"));
  EXPECT_TRUE(platform::hasCharacterPrefix("abc", ""));
  EXPECT_TRUE(platform::hasCharacterPrefix("abc", "abc"));
  EXPECT_FALSE(platform::hasCharacterPrefix("ab", "abc"));
  EXPECT_FALSE(platform::hasCharacterPrefix("\r\n", "\r"));
}

}  // namespace
