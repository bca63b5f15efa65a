#include "engine/url_utilities.h"

#include <gtest/gtest.h>

namespace {

using platform::Url;

TEST(HostTests, DomainOrSubdomainIgnoresCaseButNeedsADotBoundary) {
  EXPECT_TRUE(engine::hostIsDomainOrSubdomain(*Url::parseStrict("https://WWW.Example.COM/"), "example.com"));
  EXPECT_TRUE(engine::hostIsDomainOrSubdomain(*Url::parseStrict("https://example.com/"), "example.com"));
  EXPECT_FALSE(engine::hostIsDomainOrSubdomain(*Url::parseStrict("https://myexample.com/"), "example.com"));
  EXPECT_FALSE(engine::hostIsDomainOrSubdomain(*Url::parseStrict("example.com/a"), "example.com"));
  EXPECT_TRUE(engine::hostMatches(*Url::parseStrict("https://a.b.example.com"))("example.com"));
}

TEST(HostTests, OneLeadingWwwGoesWhateverItsCase) {
  EXPECT_EQ(engine::hostWithoutWWW(*Url::parseStrict("https://WwW.Example.com/")), "Example.com");
  EXPECT_EQ(engine::hostWithoutWWW(*Url::parseStrict("https://www.www.example.com/")), "www.example.com");
  EXPECT_EQ(engine::hostWithoutWWW(*Url::parseStrict("https://www2.example.com/")), "www2.example.com");
  EXPECT_EQ(engine::hostWithoutWWW(*Url::parseStrict("mailto:a@b.c")), std::nullopt);
}

TEST(ValidatedUrls, NeedStrictParsingAndPlausibility) {
  EXPECT_TRUE(engine::validatedUrl("https://example.com/a").has_value());
  EXPECT_FALSE(engine::validatedUrl("https://example.com/a b").has_value());
  EXPECT_FALSE(engine::validatedUrl("https://example.c/").has_value());
  EXPECT_FALSE(engine::validatedUrl("example.com").has_value());
}

TEST(CharacterHelpers, ReplaceWholeCharactersAndFindNonWhitespace) {
  EXPECT_EQ(engine::replacingCharacters("a-b_c-e\u0301", "-", "%", "_", "/"), "a%b/c%e\u0301");
  EXPECT_EQ(engine::replacingCharacters("e\u0301", "e", "x", "_", "/"), "e\u0301");
  EXPECT_EQ(engine::replacingCharacters("", "-", "%", "_", "/"), "");
  EXPECT_FALSE(engine::hasNonWhitespace(" \t\r\n\u00A0"));
  EXPECT_FALSE(engine::hasNonWhitespace(""));
  EXPECT_TRUE(engine::hasNonWhitespace("  x "));
  // By character: a mark on a space leaves it blank; a mark that begins the text is a character of its own.
  EXPECT_FALSE(engine::hasNonWhitespace("\u00A0\u0301 "));
  EXPECT_TRUE(engine::hasNonWhitespace("\u0301 "));
  EXPECT_TRUE(engine::containsItemNamed(std::vector<platform::QueryItem>{{"qid", std::nullopt}}, "qid"));
  EXPECT_FALSE(engine::containsItemNamed(std::nullopt, "qid"));
}

}  // namespace
