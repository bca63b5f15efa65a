#include "platform/text/icu_regex.h"

#include <gtest/gtest.h>

#include "platform/text/utf8.h"

namespace {

using platform::ByteRange;
using platform::Regex;

std::string at(std::string_view text, ByteRange range) {
  return std::string(text.substr(range.location, range.length));
}

TEST(Regex, GroupsByNumberAndNameWithAbsentAndUnknownGroups) {
  const auto regex = Regex::compile(R"((?<scheme>https?)://(?<user>\w+@)?(?<host>[\w.]+))");
  const std::string text = "see http://example.com and https://me@x.org";
  const auto matches = regex.matches(text);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(at(text, matches[0].range), "http://example.com");
  EXPECT_EQ(at(text, *matches[0].group("host")), "example.com");
  EXPECT_FALSE(matches[0].group("user").has_value());
  EXPECT_FALSE(matches[0].group("no such name").has_value());
  EXPECT_EQ(at(text, *matches[1].group(2)), "me@");
  EXPECT_FALSE(matches[1].group(9).has_value());
  EXPECT_EQ(regex.groupCount(), 3u);
}

TEST(Regex, OffsetsAreBytesOfTheUtf8TextAndMatchesNeverSplitAScalar) {
  const std::string text = "aé😀b";
  const auto match = Regex::compile("b").firstMatch(text);
  ASSERT_TRUE(match);
  EXPECT_EQ(match->range, (ByteRange{7, 1}));
  // One UTF-16 unit of the emoji: the match grows to the whole scalar.
  const auto half = Regex::compile(R"(\x{D83D})").firstMatch(platform::toUtf8(u"a\xD83D\xDE00"));
  EXPECT_FALSE(half.has_value());
  EXPECT_EQ(Regex::compile("é")
                .firstMatch("x\xff"
                            "é")
                ->range,
            (ByteRange{2, 2}));
}

TEST(Regex, OptionsChangeMatching) {
  EXPECT_TRUE(Regex::compile("ABC", {.caseInsensitive = true}).isMatched("xabcx"));
  EXPECT_FALSE(Regex::compile("a.b").isMatched("a\nb"));
  EXPECT_TRUE(Regex::compile("a.b", {.dotMatchesLineSeparators = true}).isMatched("a\nb"));
  EXPECT_EQ(Regex::compile("^x", {.anchorsMatchLines = true}).matches("x\nx").size(), 2u);
  EXPECT_TRUE(Regex::compile("a+(", {.ignoreMetacharacters = true}).isMatched("ba+(c"));
  EXPECT_FALSE(Regex::compile("b", {}).firstMatch("abc", {}, ByteRange{2, 1}).has_value());
}

TEST(Regex, MatchingOptionsDecideWhatTheBoundsOfTheRangeMean) {
  const std::string text = "aab ab";
  const auto a = Regex::compile("a");
  // Anchored: matches follow each other from the start of the range and stop at the first gap.
  EXPECT_EQ(a.matches(text, {.anchored = true}).size(), 2u);
  EXPECT_TRUE(a.matches(text, {.anchored = true}, ByteRange{2, 4}).empty());
  EXPECT_EQ(a.matches(text, {}, ByteRange{2, 4}).size(), 1u);
  EXPECT_EQ(a.replacingMatches(text, "-", {.anchored = true}), "--b ab");

  // Transparent bounds: lookaround and word boundaries see past the range.
  const auto word = Regex::compile(R"(\bab)");
  EXPECT_EQ(word.matches(text, {}, ByteRange{1, 2}).size(), 1u);
  EXPECT_TRUE(word.matches(text, {.withTransparentBounds = true}, ByteRange{1, 2}).empty());
  const auto beforeB = Regex::compile("a(?=b)");
  EXPECT_FALSE(beforeB.firstMatch(text, {}, ByteRange{1, 1}).has_value());
  EXPECT_TRUE(beforeB.firstMatch(text, {.withTransparentBounds = true}, ByteRange{1, 1}).has_value());

  // Without anchoring bounds "^" and "$" hold only at the text's own start and end.
  const auto whole = Regex::compile("^ab$");
  EXPECT_TRUE(whole.firstMatch(text, {}, ByteRange{4, 2}).has_value());
  EXPECT_FALSE(whole.firstMatch(text, {.withoutAnchoringBounds = true}, ByteRange{4, 2}).has_value());
  EXPECT_TRUE(Regex::compile("ab$").firstMatch(text, {.withoutAnchoringBounds = true}, ByteRange{4, 2}).has_value());
}

TEST(Regex, TemplatesInsertGroupsAndHonourEscapes) {
  const auto regex = Regex::compile(R"((\w)(\d)?)");
  EXPECT_EQ(regex.replacingMatches("a1 b", "[$1|$2]"), "[a|1] [b|]");
  EXPECT_EQ(regex.replacingMatches("a1 b", R"(\$1$0$12)"), "$1a1a2 $1bb2");
  EXPECT_EQ(regex.replacingMatches("a1 b", "-", {}, 1), "- b");
  EXPECT_EQ(regex.replacingMatches("", "-"), "");
}

TEST(Regex, EscapedPatternMatchesItsTextLiterally) {
  const std::string text = R"(a.b*c?(d)[e]{f}^g$h|i\j/k+l)";
  const auto escaped = Regex::escapedPattern(text);
  const auto match = Regex::compile(escaped).firstMatch("xx" + text + "yy");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->range, (ByteRange{2, text.size()}));
  EXPECT_FALSE(Regex::compile(escaped).isMatched("aXb*c?(d)[e]{f}^g$h|i\\j/k+l"));
}

TEST(Regex, BadPatternsThrowAndEqualityIsPatternWithOptions) {
  try {
    Regex::compile("(unclosed");
    FAIL() << "no error";
  } catch (const platform::RegexError& error) {
    EXPECT_TRUE(error.localizedDescription().starts_with("Invalid regular expression: "));
  }
  EXPECT_EQ(Regex::compile("a"), Regex::compile("a"));
  EXPECT_FALSE(Regex::compile("a") == Regex::compile("a", {.caseInsensitive = true}));
}

}  // namespace
