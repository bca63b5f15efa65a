#include "kit/foundation/regex.h"

#include <gtest/gtest.h>

namespace {

using kit::ZvRegex;

TEST(ZvRegex, MatchesAreWidenedToWholeCharacters) {
  const std::string text = "x👍🏽y e\u0301!";
  // The pattern catches only the emoji's first scalar, and only the letter before a combining accent.
  const auto thumb = ZvRegex("\\x{1F44D}").firstMatch(text);
  ASSERT_TRUE(thumb);
  EXPECT_EQ(thumb->value, "👍🏽");
  EXPECT_EQ(thumb->range, (platform::ByteRange{1, 8}));
  const auto letter = ZvRegex("(?<letter>e)").firstMatch(text);
  ASSERT_TRUE(letter);
  EXPECT_EQ(letter->value, "e\u0301");
  EXPECT_EQ(letter->group("letter")->value, "e\u0301");
}

TEST(ZvRegex, GroupsListOnlyParticipatingNonEmptyGroups) {
  const auto match = ZvRegex(R"((?<first>a)?(?<second>b)(?<empty>c*))").firstMatch("xb");
  ASSERT_TRUE(match);
  ASSERT_EQ(match->groups.size(), 1u);
  EXPECT_EQ(match->groups[0].value, "b");
  EXPECT_FALSE(match->group("first").has_value());
  EXPECT_FALSE(match->group("empty").has_value());
  EXPECT_FALSE(match->group("unknown").has_value());
  EXPECT_EQ(match->group("second")->range, (platform::ByteRange{1, 1}));
}

TEST(ZvRegex, SearchingAndReplacing) {
  const ZvRegex word(R"((\w)(\w*))");
  EXPECT_TRUE(ZvRegex("z").allMatches("abc").empty());
  EXPECT_FALSE(ZvRegex("z").isMatched("abc"));
  EXPECT_EQ(word.allMatches("ab cd é").size(), 3u);
  EXPECT_EQ(kit::replacingFirstMatch("ab cd", word, "<$1>"), "<a> cd");
  EXPECT_EQ(kit::replacingFirstMatch("--", word, "<$1>"), "--");
  EXPECT_EQ(kit::replacingMatches("ab cd", word, "$2$1"), "ba dc");
  EXPECT_EQ(kit::replacingMatches("ab cd", word, "$2$1", {.anchored = true}), "ba cd");
  EXPECT_EQ(ZvRegex("a.b"), ZvRegex("a.b"));
  EXPECT_EQ(*word.firstMatch("ab"), *word.firstMatch("ab"));
  EXPECT_THROW(ZvRegex("[unclosed"), platform::RegexError);

  const std::string literal = R"(a.b[c](d)*+?{1}^$|\/)";
  const ZvRegex escaped(ZvRegex::escapedPattern(literal));
  EXPECT_EQ(escaped.firstMatch("x " + literal + " y")->value, literal);
  EXPECT_FALSE(escaped.isMatched("axb[c](d)*+?{1}^$|\\/"));

  // A pattern written into the program is compiled where it is used.
  EXPECT_EQ(kit::replacingFirstMatch("ab cd", R"((\w)(\w*))", "<$1>"), "<a> cd");
  EXPECT_EQ(kit::replacingMatches("ab cd", R"((\w)(\w*))", "$2$1"), "ba dc");
}

TEST(ZvRegexDeathTest, APatternWrittenIntoTheProgramThatDoesNotCompileStopsIt) {
  EXPECT_DEATH(ZvRegex::constant("[unclosed"), "Invalid regular expression: ");
  EXPECT_DEATH(kit::replacingMatches("x", "[unclosed", ""), "Invalid regular expression: .*regex.cpp");
}

}  // namespace
