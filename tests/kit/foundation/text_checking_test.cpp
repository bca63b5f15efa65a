#include "kit/foundation/text_checking.h"

#include <gtest/gtest.h>

#include <list>

namespace {

TEST(EmailAddressCheck, TheWholeTextMustBeOneAddress) {
  EXPECT_TRUE(kit::isEmailAddress("joe.bloggs+news@example.co.uk"));
  for (const char* text : {" joe@example.com", "joe@example.com ", "write to joe@example.com", "mailto:joe@example.com",
                           "https://example.com/ joe@example.com", "joe@example", ""})
    EXPECT_FALSE(kit::isEmailAddress(text)) << text;
}

TEST(HtmlTagPairRegex, FindsATagPairOnOneLine) {
  const auto& regex = kit::htmlTagPairRegex();
  EXPECT_TRUE(regex.isMatched("text <p class=\"x\">Hello</p> more"));
  EXPECT_TRUE(regex.isMatched("<b>a</i>"));
  EXPECT_FALSE(regex.isMatched("<p>Hello"));
  EXPECT_FALSE(regex.isMatched("line<br>break"));
  EXPECT_FALSE(regex.isMatched("<p>Hello\n</p>"));
  EXPECT_FALSE(regex.isMatched("a < b > c"));
}

TEST(BlankTextChecks, WhitespaceAndLineBreaks) {
  EXPECT_TRUE(kit::isEmptyOrWhitespaceOrNewline(""));
  EXPECT_TRUE(kit::isEmptyOrWhitespaceOrNewline(" \t\r\n\u2028\u00A0\u3000"));
  EXPECT_FALSE(kit::isEmptyOrWhitespaceOrNewline(" . "));
  EXPECT_FALSE(kit::isEmptyOrWhitespaceOrNewline("\u200B"));
  // A mark on a space belongs to a whitespace character; the same mark on its own starts one that is not.
  EXPECT_TRUE(kit::isEmptyOrWhitespaceOrNewline(" \u0301\n"));
  EXPECT_FALSE(kit::isEmptyOrWhitespaceOrNewline("\u0301 "));
  EXPECT_FALSE(kit::isEmptyOrWhitespaceOrNewline("\n\xff"));
  EXPECT_TRUE(kit::isEmptyOrWhitespaceOrNewline(std::string(256, ' ') + "\u0301\u3000" + std::string(300, '\n')));
  EXPECT_FALSE(kit::isEmptyOrWhitespaceOrNewline(std::string(300, ' ') + "\u0301x"));
  EXPECT_TRUE(kit::isEmptyOrAllSatisfy(std::vector<int>{}, [](int) { return false; }));
  int calls = 0;
  EXPECT_FALSE(kit::isEmptyOrAllSatisfy(std::vector<int>{1, 2, 3}, [&](int v) {
    ++calls;
    return v != 2;
  }));
  EXPECT_EQ(calls, 2);
}

TEST(CollectionIndexDeathTest, StepsFromTheStartAndAnOffsetPastTheEndStopsTheProgram) {
  std::list<char> letters{'a', 'b', 'c'};
  EXPECT_EQ(*kit::index(letters, 2), 'c');
  EXPECT_EQ(kit::index(letters, 3), letters.end());
  EXPECT_DEATH(kit::index(letters, 4), "Index out of range");
}

}  // namespace
