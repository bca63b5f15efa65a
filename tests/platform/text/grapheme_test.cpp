#include "platform/text/grapheme.h"

#include <gtest/gtest.h>

namespace {

using platform::ByteRange;

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

TEST(Graphemes, AWalkOverATextFindsTheCharactersOfTheWholeText) {
  static_assert(std::ranges::forward_range<platform::TextCharacters>);
  // Marks and flags across the edges of the stretches a step looks at, invalid bytes.
  std::string flags = "ab";
  for (int i = 0; i < 150; ++i) flags += "🇩🇪";
  for (const std::string& text : {std::string(), flags + " 🇫🇷", std::string(255, ' ') + "e\u0301 \xff\r\n" + flags}) {
    const platform::TextCharacters characters = platform::characters(text);
    EXPECT_EQ(std::vector<std::string_view>(characters.begin(), characters.end()), platform::graphemes(text));
    EXPECT_EQ(characters.empty(), text.empty());
  }
}

}  // namespace
