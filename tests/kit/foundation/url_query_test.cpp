#include "kit/foundation/url_query.h"

#include <gtest/gtest.h>

namespace {

using platform::QueryItem;
using platform::Url;

Url url(std::string_view text) { return *Url::parseStrict(text); }

TEST(UrlQueryEditing, RemovingItemsKeepsTheOthersByteForByte) {
  const auto cleaned =
      kit::removingQueryItems(url("https://x.com/p?q=1%2B1&utm_source=x&path=%2Fa%3Fb%3Ac%40d%2Ce&s=a+b&e=%C3%A9"),
                              std::unordered_set<std::string>{"utm_source"});
  EXPECT_EQ(cleaned.absoluteString(), "https://x.com/p?q=1%2B1&path=%2Fa%3Fb%3Ac%40d%2Ce&s=a+b&e=%C3%A9");
  EXPECT_EQ(
      kit::removingQueryItems(url("https://x.com/?a=1&b=2&a=1"), std::unordered_set<std::string>{"b"}).absoluteString(),
      "https://x.com/?a=1&a=1");
}

TEST(UrlQueryEditing, AnUnchangedUrlComesBackWithItsOwnText) {
  // Rebuilding this URL from decoded items would change it ("%7e", "%41" and the bare "&").
  const auto original = url("HTTPS://X.com/%7e?a=%41&&b#f");
  EXPECT_EQ(kit::removingQueryItems(original, std::unordered_set<std::string>{"zzz"}).absoluteString(),
            original.absoluteString());
  bool called = false;
  const auto withoutQuery = url("https://x.com/p");
  kit::modifyingQueryItems(withoutQuery, [&](const std::vector<QueryItem>& items) {
    called = true;
    return items;
  });
  EXPECT_FALSE(called);
}

TEST(UrlQueryEditing, EmptyingTheQueryRemovesTheQuestionMarkAndKeepsTheFragment) {
  EXPECT_EQ(
      kit::removingQueryItems(url("https://x.com/p?utm_source=a#top"), std::unordered_set<std::string>{"utm_source"})
          .absoluteString(),
      "https://x.com/p#top");
}

TEST(UrlQueryEditing, ChangedItemsAreEncodedSoThatTheyCannotSplitTheQuery) {
  const auto changed =
      kit::modifyingQueryItems(url("https://x.com/?u=old&k=%2B"), [](const std::vector<QueryItem>& items) {
        auto edited = items;
        edited[0].value = "https://y.com/?a=1&b=2+3#c d";
        return edited;
      });
  EXPECT_EQ(changed.absoluteString(), "https://x.com/?u=https://y.com/?a%3D1%26b%3D2%2B3%23c%20d&k=%2B");
  EXPECT_EQ(kit::queryItemValue(changed, "u"), "https://y.com/?a=1&b=2+3#c d");
}

TEST(UrlQueryReading, FirstValueByExactNameAndAppendingInOrder) {
  const auto source = url("https://x.com/?t=1&T=2&t=3&v&x=y");
  EXPECT_EQ(kit::queryItemValue(source, "t"), "1");
  EXPECT_EQ(kit::queryItemValue(source, "V"), std::nullopt);
  EXPECT_EQ(kit::queryItemValue(source, "v"), std::nullopt);
  EXPECT_EQ(kit::queryItems(url("https://x.com/")), std::vector<QueryItem>{});

  const auto appended = kit::appendingQueryItems(url("https://y.com/w?a=%2B"), {"t", "v", "x"},
                                                 url("https://x.com/?t=1%2b1&v&t=a+b&x=%7e"));
  EXPECT_EQ(appended.absoluteString(), "https://y.com/w?a=%2B&t=1%2b1&v&t=a+b&x=%7e");
  EXPECT_EQ(kit::appendingQueryItem(url("https://y.com/w"), {"v", "a b"}).absoluteString(), "https://y.com/w?v=a%20b");
  EXPECT_EQ(kit::appendingQueryItems(url("https://y.com/w"), {"none"}, source).absoluteString(), "https://y.com/w");
  EXPECT_EQ(kit::dictionary(kit::queryItems(source)), (std::map<std::string, std::optional<std::string>>{
                                                          {"T", "2"}, {"t", "3"}, {"v", std::nullopt}, {"x", "y"}}));
}

TEST(UrlDisplay, WithoutSchemeSeparatorAndWww) {
  EXPECT_EQ(kit::absoluteStringWithoutSchemeAndWWW(url("https://www.example.com/a?b")), "example.com/a?b");
  EXPECT_EQ(kit::absoluteStringWithoutSchemeAndWWW(url("https://example.com/a")), "example.com/a");
  EXPECT_EQ(kit::absoluteStringWithoutSchemeAndWWW(url("mailto:a@b.c")), ":a@b.c");
  EXPECT_EQ(kit::absoluteStringWithoutSchemeAndWWW(url("www.example.com/a")), "www.example.com/a");
}

TEST(UrlPlausibility, FollowsTheRulesPerScheme) {
  for (const char* text : {"http://localhost/", "https://example.co", "HTTPS://Example.COM", "mailto:a@b",
                           "http://192.168.1.1/", "ftp://[::1]/", "weird://x", "file:///tmp/x", "tel:+123"}) {
    EXPECT_TRUE(kit::isValid(url(text))) << text;
  }
  for (const char* text : {"http://example.c/", "http://.example.com/", "mailto:nobody", "www.example.com/a",
                           "https:///path", "Mailto:x"}) {
    EXPECT_FALSE(kit::isValid(url(text))) << text;
  }
}

TEST(UrlBuilding, QueryValuesAreEncodedWholly) {
  const auto built = kit::urlWithQuery("https://x.com/feedback", {{"name", "Zoë & Co=1+1/2"}, {"locale", "de_DE"}});
  ASSERT_TRUE(built);
  EXPECT_EQ(built->absoluteString(), "https://x.com/feedback?locale=de_DE&name=Zo%C3%AB%20%26%20Co%3D1%2B1%2F2");
  EXPECT_FALSE(kit::urlWithQuery("not a url", {}).has_value());

  const auto items = kit::percentEncodedQueryItems({{"q", "é ~-._&=+/"}});
  EXPECT_EQ(items, (std::vector<QueryItem>{{"q", "é%20~-._%26%3D%2B%2F"}}));
}

}  // namespace
