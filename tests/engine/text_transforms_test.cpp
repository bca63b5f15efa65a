#include "engine/text_transforms.h"

#include <gtest/gtest.h>

#include <list>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/trimming.h"
#include "platform/text/character_view.h"
#include "support/rich_text.h"

namespace engine {
namespace {

using platform::AttributedString;
using platform::ByteRange;

using richtext_test::describe;
using richtext_test::linkTo;

TEST(TextTransformsTest, ListItemsBecomeHyphenItems) {
  EXPECT_EQ(normalizingUnorderedLists("• word"), "- word");
  EXPECT_EQ(normalizingUnorderedLists("\t\t◦  word"), "\t\t- word");
  EXPECT_EQ(normalizingUnorderedLists("o item\noranges"), "- item\noranges");
  EXPECT_EQ(normalizingUnorderedLists("- done\n1. first\n2) second"), "- done\n1. first\n2) second");
  EXPECT_EQ(normalizingUnorderedLists("•\nnext line"), "- next line");
  EXPECT_EQ(normalizingUnorderedLists("intro\n\n\n  ▪ not a bullet\n\n  ● b"), "intro\n\n\n  ▪ not a bullet\n\n  - b");
  EXPECT_EQ(normalizingUnorderedLists("•word ·\u00A0\u00A0x \uF0A7\ty"), "•word ·\u00A0\u00A0x \uF0A7\ty");
  EXPECT_EQ(normalizingUnorderedLists("·\u00A0\u00A0\u00A0 Budget\r\n\uF0A7\ty\u2028➢ z"), "- Budget\r\n- y\u2028- z");
}

// The indentation takes horizontal whitespace only; with any whitespace it also took the blank lines before
// a bullet. Both give the same text.
TEST(TextTransformsTest, ListPatternMatchesTheWhitespaceIndentationForm) {
  platform::Regex anyWhitespace = platform::Regex::compile(
      "^(?<indent>\\p{White_Space}*)"
      "[\\-\u2022\u2023\u2043\u204C\u204D\u2219\u00B7\u25CB\u25CF\u25D8\u25E6\u2619\u2765\u2767\u29BE\u29BF\u25C9o"
      "\u00A7\u27A2\u27A4\u29EB\u274D\\x{F0A7}]\\p{White_Space}+(?<value>.+)",
      platform::RegexOptions{.anchorsMatchLines = true});
  std::vector<std::string> texts = {
      "• word",
      "\t\t◦  word",
      "o item\noranges",
      "•\nnext",
      "\n\n• a\n \t\n  o b",
      "x\n\r\n\t- y",
      "  \n  \n•\n\n\nz",
      "text • inline",
      "• a\r\n• b\r\n",
      "\u3000• wide",
      "•  \n  ",
      std::string(3000, '\n') + "• end",
      // Items after every kind of line end, and behind every kind of horizontal space.
      "prose\x0B• a\x0C• b\u0085• c\u2028• d\u2029• e\r• f",
      "\u00A0\u2000\u2007\u200A\u202F\u205F\u1680- g\n x- h",
      "no items, only words: o, -, • and \u00A7",
      "caf\xC3\xA9\n\xFF- broken\n\u00A7 \xE2\x80- \n\u2028\u3000o\u2029z",
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(normalizingUnorderedLists(text), anyWhitespace.replacingMatches(text, "$1- $2")) << text;
  }
}

TEST(TextTransformsTest, ListNormalizationKeepsLinks) {
  AttributedString text("• ");
  text.append("first", linkTo("https://one.example/"));
  text.append("\n\t◦\tsecond ");
  text.append("link", linkTo("https://two.example/"));
  normalizeUnorderedLists(text);
  EXPECT_EQ(describe(text), "- [first](https://one.example/)\n\t- second [link](https://two.example/)");

  // Links before the first item stay where they are.
  AttributedString late("Intro with a ");
  late.append("link", linkTo("https://intro.example/"));
  late.append(".\n\u2028 ◦ item ");
  late.append("two", linkTo("https://two.example/"));
  normalizeUnorderedLists(late);
  EXPECT_EQ(describe(late), "Intro with a [link](https://intro.example/).\n\u2028 - item [two](https://two.example/)");

  // Only the bullet is replaced, so a link that starts the item stays on its text.
  AttributedString linked("◦ ");
  linked.append("x", linkTo("https://x.example/"));
  normalizeUnorderedLists(linked);
  EXPECT_EQ(describe(linked), "- [x](https://x.example/)");
}

TEST(TextTransformsTest, TrimmingPlainAndAttributedText) {
  AttributedString text("\n\t  ");
  text.append("linked phrase", linkTo("https://p.example/"));
  text.append("  \r\n");
  trimWhitespace(text);
  EXPECT_EQ(describe(text), "[linked phrase](https://p.example/)");

  // A space with a combining mark is one whitespace character and goes as a whole.
  AttributedString combining("x \u0301");
  trimTrailingWhitespace(combining);
  EXPECT_EQ(combining.string(), "x");
  AttributedString blank(" \n ");
  trimWhitespace(blank);
  EXPECT_TRUE(blank.empty());
}

static_assert(BidirectionalRangeReplaceableCollection<std::string>);
static_assert(BidirectionalRangeReplaceableCollection<std::list<int>>);
static_assert(BidirectionalRangeReplaceableCollection<AttributedString::CharacterView>);

TEST(TextTransformsTest, TrimmingAnyCollectionByAPredicate) {
  auto isZero = [](int value) { return value == 0; };
  std::vector<int> numbers = {0, 0, 1, 0, 2, 0, 0};
  const auto kept = trimmingSuffix(numbers, isZero);
  EXPECT_EQ(std::vector<int>(kept.begin(), kept.end()), (std::vector<int>{0, 0, 1, 0, 2}));
  EXPECT_EQ(numbers.size(), 7u) << "trimmingSuffix leaves the collection as it is";
  trimSuffix(numbers, isZero);
  EXPECT_EQ(numbers, (std::vector<int>{0, 0, 1, 0, 2}));
  trimPrefix(numbers, isZero);
  EXPECT_EQ(numbers, (std::vector<int>{1, 0, 2}));

  std::list<int> zeros = {0, 0};
  trim(zeros, isZero);
  EXPECT_TRUE(zeros.empty());

  // A predicate's failure ends the trimming with it, before anything is removed.
  std::string text = "xx abc  ";
  auto failsAtC = [](char c) {
    if (c == 'c') throw std::runtime_error("predicate failed");
    return c == ' ';
  };
  EXPECT_THROW(trimSuffix(text, failsAtC), std::runtime_error);
  EXPECT_THROW(trim(text, failsAtC), std::runtime_error);
  EXPECT_THROW(trimmingSuffix(text, failsAtC), std::runtime_error);
  EXPECT_EQ(text, "xx abc  ");
  // trim fails only in its trimPrefix here, and keeps what its trimSuffix removed.
  std::string failsAtTheFront = "c ab  ";
  EXPECT_THROW(trim(failsAtTheFront, failsAtC), std::runtime_error);
  EXPECT_EQ(failsAtTheFront, "c ab");
}

TEST(TextTransformsTest, TrackingParametersInLinksAndInWrittenUrls) {
  AttributedString text("Shop ");
  text.append("here", linkTo("https://shop.example/item?id=4&utm_source=news&utm_medium=mail"));
  text.append(", sign in ");
  text.append("there", linkTo("https://login.okta.com/app?utm_source=x"));
  text.append(", plain ");
  text.append("page", linkTo("https://plain.example/page"));
  text.append(". See https://a.example/?fbclid=1&q=2 and https://b.example/?q=3.");
  removeTrackingParametersFromLinks(text);
  EXPECT_EQ(describe(text),
            "Shop [here](https://shop.example/item?id=4), sign in [there](https://login.okta.com/app?utm_source=x), "
            "plain [page](https://plain.example/page). See https://a.example/?q=2 and https://b.example/?q=3.");

  // A written URL inside a link keeps the link over the cleaned text.
  AttributedString inside("https://c.example/?gclid=9", linkTo("https://c.example/?gclid=9"));
  removeTrackingParametersFromLinks(inside);
  EXPECT_EQ(describe(inside), "[https://c.example/](https://c.example/)");
}

}  // namespace
}  // namespace engine
