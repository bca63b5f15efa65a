#include "platform/text/grapheme.h"

#include <gtest/gtest.h>

#include "platform/text/whitespace.h"

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

TEST(Graphemes, RunsAtEitherEndAreTheCharactersOfTheWholeText) {
  // What a walk over every character of the text finds.
  auto leadingEnd = [](std::string_view text, auto predicate) {
    std::size_t end = 0;
    for (std::string_view character : platform::graphemes(text)) {
      if (!predicate(character)) break;
      end += character.size();
    }
    return end;
  };
  auto trailingStart = [](std::string_view text, auto predicate) {
    std::size_t start = text.size();
    const auto characters = platform::graphemes(text);
    for (auto it = characters.rbegin(); it != characters.rend() && predicate(*it); ++it) start -= it->size();
    return start;
  };
  auto repeated = [](std::string_view part, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += part;
    return out;
  };
  // Runs longer than the first windows looked at, marks and flags that straddle their edges, invalid bytes,
  // text without any two ASCII bytes in a row.
  const std::vector<std::string> texts = {
      "",
      "   ",
      "abc",
      " \r\n\t abc \u2028\u3000",
      std::string(1000, ' ') + "x" + std::string(5000, '\n'),
      repeated(" \u0301", 300) + "a" + repeated("\u3000\u0301 ", 300),
      "ab" + repeated("🇩🇪", 100) + " " + repeated("🇩🇪", 101),
      std::string(255, ' ') + "e\u0301 x " + std::string(254, ' ') + "\u0301",
      "\xff  abc \xc3",
      repeated("\u3000", 2000) + "あ" + repeated("\u2003", 2000),
  };
  auto isSpace = [](std::string_view character) { return platform::isWhitespaceCharacter(character); };
  auto isFlagOrSpace = [](std::string_view character) { return character == "🇩🇪" || character == " "; };
  for (const std::string& text : texts) {
    EXPECT_EQ(platform::endOfLeadingCharacters(text, isSpace), leadingEnd(text, isSpace)) << text.size();
    EXPECT_EQ(platform::startOfTrailingCharacters(text, isSpace), trailingStart(text, isSpace)) << text.size();
    EXPECT_EQ(platform::startOfTrailingCharacters(text, isFlagOrSpace), trailingStart(text, isFlagOrSpace));
  }
}

}  // namespace
