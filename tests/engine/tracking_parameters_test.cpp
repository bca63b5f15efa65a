#include "engine/tracking_parameters.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

using platform::Url;

std::string cleaned(std::string_view text) {
  const auto url = Url::parseStrict(text);
  EXPECT_TRUE(url.has_value()) << text;
  return url ? engine::removingTrackingParametersUnlessExempt(*url).absoluteString() : std::string();
}

struct Case {
  const char* input;
  const char* expected;  // nullptr: unchanged
};

void expectCases(const std::vector<Case>& cases) {
  for (const auto& c : cases) EXPECT_EQ(cleaned(c.input), c.expected ? c.expected : c.input) << c.input;
}

TEST(TrackingParameterNames, AreTheFullListMatchedExactly) {
  const auto& names = engine::trackingParameterNames();
  ASSERT_EQ(names.size(), 129u);
  EXPECT_EQ(names.front(), "gclid");
  EXPECT_EQ(names.back(), "__stm_id");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 129u);
  expectCases({
      {"https://example.com/a?utm_source=x&id=7&fbclid=abc&gclid=1", "https://example.com/a?id=7"},
      {"https://example.com/a?UTM_SOURCE=x&utm_sourcex=y&xutm_source=z", nullptr},
      {"https://example.com/a?utm_source=x&utm_medium=y", "https://example.com/a"},
      {"https://example.com/a?utm_source=x#section", "https://example.com/a#section"},
  });
}

TEST(TrackingRemoval, RemainingItemsKeepTheirOrderAndEncoding) {
  expectCases({
      {"https://example.com/s?q=1%2B1&utm_source=x&path=%2Fa%20b&e=%C3%A9&flag&empty=",
       "https://example.com/s?q=1%2B1&path=%2Fa%20b&e=%C3%A9&flag&empty="},
      {"https://example.com/s?b=2&utm_term=t&a=1&b=2", "https://example.com/s?b=2&a=1&b=2"},
      {"HTTPS://Example.com/%7e/?keep=%41", nullptr},
  });
}

TEST(TrackingRemoval, UrlsWithoutQueryItemsOrOnExemptHostsStayAsTheyAre) {
  expectCases({
      {"https://youtu.be/dQw4w9WgXcQ", nullptr},  // a short link without query is not even unwrapped
      {"https://example.com/a?", nullptr},
      {"https://console.aws.amazon.com/ec2/home?region=eu-west-1&ref_=x&utm_source=y", nullptr},
      {"https://eu-west-1.console.aws.amazon.com/ec2/home?utm_source=y", nullptr},
      {"https://acme.okta.com/app?utm_source=y", nullptr},
      {"https://OKTA.COM/app?utm_source=y", nullptr},
      {"https://login.auth0.com/?utm_source=y", nullptr},
      {"https://notokta.com/app?utm_source=y", "https://notokta.com/app"},
  });
}

TEST(SiteRules, MicroBloggingStreamingAndVideo) {
  expectCases({
      {"https://x.com/user/status/1?s=20&t=abc&ref_src=twsrc&ref_url=u&lang=en", "https://x.com/user/status/1?lang=en"},
      {"https://www.twitter.com/u/status/1?s=20", "https://www.twitter.com/u/status/1"},
      {"https://fxtwitter.com/u/status/1?t=1", "https://fxtwitter.com/u/status/1"},
      {"https://mobile.twitter.com/u/status/1?s=20", nullptr},
      {"https://X.com/u/status/1?s=20", nullptr},
      {"https://open.spotify.com/track/1?si=abc&context=x", "https://open.spotify.com/track/1?context=x"},
      {"https://notspotify.com/track/1?si=abc", nullptr},
      {"https://www.youtube.com/watch?v=1&si=abc&t=5", "https://www.youtube.com/watch?v=1&t=5"},
      {"https://m.youtube.com/watch?v=1&si=abc", "https://youtube.com/watch?v=1"},
      {"https://youtu.be/abc?si=share&t=42", "https://youtube.com/watch?v=abc&t=42"},
  });
}

TEST(SiteRules, SearchEngineKeepsOnlyTheQueryOnItsSearchPage) {
  expectCases({
      {"https://www.google.com/search?q=linux&sxsrf=x&ei=y&as_q=z&oq=linux",
       "https://www.google.com/search?q=linux&as_q=z"},
      {"https://google.de/search?ie=UTF-8", "https://google.de/search"},
      {"https://www.google.com/maps?q=x&ei=y", nullptr},
      {"https://www.google.com/?q=x&ei=y", nullptr},
      {"https://images.google.com/search?q=x&ei=y", nullptr},
  });
}

TEST(SiteRules, MarketplaceReferralAudiobooksSocialNewsAndShortVideo) {
  expectCases({
      {"https://www.ebay.co.uk/itm/1?mkcid=1&mkevt=1&hash=h&campid=5", "https://www.ebay.co.uk/itm/1?hash=h"},
      {"https://ebay-kleinanzeigen.de/itm/1?mkcid=1", nullptr},
      {"https://tool.example/?ref=producthunt&x=1", "https://tool.example/?x=1"},
      {"https://tool.example/?ref=newsletter&ref=producthunt", nullptr},
      {"https://tool.example/?ref=ProductHunt", nullptr},
      {"https://www.audible.de/pd/1?plink=a&ref=b&qid=c&sr=d&overrideBaseCountry=true",
       "https://www.audible.de/pd/1?overrideBaseCountry=true"},
      {"https://www.facebook.com/groups/1?ref=share&referral_code=x&tracking=y&view=permalink",
       "https://www.facebook.com/groups/1?view=permalink"},
      {"https://www.nytimes.com/2024/01/01/a.html?smid=url-share&unlocked_article_code=abc",
       "https://www.nytimes.com/2024/01/01/a.html?unlocked_article_code=abc"},
      {"https://www.tiktok.com/@u/video/1?_r=1&_t=8&is_from_webapp=1&sender_device=pc&lang=de",
       "https://www.tiktok.com/@u/video/1?lang=de"},
      {"https://nytimes.com.evil.example/a?smid=x", nullptr},
      {"https://www.Audible.de/pd/1?plink=a", nullptr},
      {"https://notfacebook.com/groups/1?ref=share", nullptr},
      {"https://tiktok.com.example/@u?_r=1", nullptr},
  });
}

TEST(SiteRules, RetailerAppliesItsFourStepsInOrder) {
  expectCases({
      // 1: a last path component that begins with "ref=" goes, the path keeps its trailing "/".
      {"https://www.amazon.de/dp/B01/ref=sr_1_1?keywords=x&qid=1&sr=8-1&th=1", "https://www.amazon.de/dp/B01/?th=1"},
      // 2: keywords and sr go only where there is a qid.
      {"https://www.amazon.com/dp/B01?keywords=x&sr=8-1", "https://www.amazon.com/dp/B01?keywords=x&sr=8-1"},
      // 3: the fixed names.
      {"https://smile.amazon.co.uk/dp/B01?_encoding=UTF8&psc=1&ref_=a&content-id=c&s=books&color=red",
       "https://smile.amazon.co.uk/dp/B01?color=red"},
      // 4: any "ref=" left in the path cuts it there.
      {"https://www.amazon.com/gp/product/ref=x/B01/more?psc=1", "https://www.amazon.com/gp/product/"},
      // The path is searched decoded; the part before the cut keeps its encoding.
      {"https://www.amazon.com/gp/ref%3Dx/B01?psc=1", "https://www.amazon.com/gp/"},
      {"https://www.amazon.com/a%2Fb/ref%3dx/B01?psc=1", "https://www.amazon.com/a%2Fb/"},
      {"https://www.amazonia.org/dp/ref=x?s=1", nullptr},
  });
}

TEST(NestedUrls, AreCleanedOneLevelDeepAndWrittenSoTheyCannotSplitTheQuery) {
  expectCases({
      {"https://example.com/go?to=https%3A%2F%2Fshop.example%2Fp%3Fid%3D1%26utm_source%3Dnl&x=%2B",
       "https://example.com/go?to=https://shop.example/p?id%3D1&x=%2B"},
      {"https://example.com/go?to=https%3A%2F%2Fshop.example%2Fp%3Fa%3D1%26b%3D2%26fbclid%3Dz",
       "https://example.com/go?to=https://shop.example/p?a%3D1%26b%3D2"},
      // A plus sign of the nested URL stays a plus sign for servers that read "+" as a space.
      {"https://example.com/go?to=https%3A%2F%2Fshop.example%2Fc%2B%2B%3Fq%3Da%2Bb%26gclid%3D1",
       "https://example.com/go?to=https://shop.example/c%2B%2B?q%3Da%2Bb"},
      // Values that are no plausible URL, or that cleaning leaves alone, keep their exact text.
      {"https://example.com/go?note=Remark%3A%20hello&utm_source=x&u=https%3A%2F%2Fshop.example%2F",
       "https://example.com/go?note=Remark%3A%20hello&u=https%3A%2F%2Fshop.example%2F"},
      {"https://example.com/"
       "go?to=https%3A%2F%2Fa.example%2F%3Fto%3Dhttps%253A%252F%252Fb.example%252F%253Futm_source%253Dx",
       nullptr},
  });
}

TEST(TrackingRemoval, FindsWhatItRemovesOnAnyHostWhereverTheQueryHidesIt) {
  expectCases({
      {"https://a.example/p?utm%5Fsource=x&k=1", "https://a.example/p?k=1"},
      {"https://a.example/p?k=1&ref=producthunt", "https://a.example/p?k=1"},
      {"https://a.example/p?ref=newsletter&k=1", nullptr},
      {"https://a.example/go?to=https://b.example/?k=2&gclid=1", "https://a.example/go?to=https://b.example/?k=2"},
      {"https://a.example/go?to=//192.168.1.1/x?gclid=1", "https://a.example/go?to=//192.168.1.1/x"},
      {"https://a.example/go?to=https://b.example/&at=10:30", nullptr},
      {"https://a.example/go?to=youtu.be/abc&k=1", nullptr},
      {"https://a.example/go?to=https://youtu.be/abc", "https://a.example/go?to=https://youtube.com/watch?v%3Dabc"},
  });
}

TEST(TrackingRemoval, ItemsLeftAreJoinedAgainEmptyOnesIncluded) {
  expectCases({
      {"https://a.example/p?&utm_source=1&a=1", "https://a.example/p?a=1"},
      {"https://a.example/p?utm_source=1&", "https://a.example/p?"},
      {"https://a.example/p?a=1&&utm_source=1&b#f", "https://a.example/p?a=1&&b#f"},
      {"1a:b/p?gclid=2", nullptr},  // no URL can be made of its parts without a "?"
  });
}

TEST(TextCleaning, ReplacesChangedLinksAndNothingElse) {
  const std::string text =
      "Read https://example.com/a?utm_source=x&id=1, then https://example.com/a?utm_source=x&id=1 again.\n"
      "Short: https://youtu.be/abc and https://youtu.be/abc?si=s&t=3 (also www.shop.example/p?fbclid=z).\n"
      "Exempt: https://acme.okta.com/?utm_source=x. Broken: https://example.com/a b?utm_source=x";
  EXPECT_EQ(engine::removingTrackingParametersFromURLs(text),
            "Read https://example.com/a?id=1, then https://example.com/a?id=1 again.\n"
            "Short: https://youtu.be/abc and https://youtube.com/watch?v=abc&t=3 (also www.shop.example/p).\n"
            "Exempt: https://acme.okta.com/?utm_source=x. Broken: https://example.com/a b?utm_source=x");
  const std::string untouched = "No links here, just text é and 1.2.3 and https://example.com/?q=1";
  EXPECT_EQ(engine::removingTrackingParametersFromURLs(untouched), untouched);
  EXPECT_EQ(engine::removingTrackingParametersFromURLs(""), "");
}

TEST(TextCleaning, SkipsMatchesOutsideTheTextOrOverlappingAnEarlierOne) {
  const std::string text = "https://a.example/?utm_source=x";
  const auto url = *Url::parseStrict(text);
  const std::vector<platform::LinkMatch> matches = {{{0, text.size()}, url}, {{5, 3}, url}, {{20, 100}, url}};
  EXPECT_EQ(engine::removingTrackingParametersFromURLs(text, matches), "https://a.example/");
}

TEST(UrlListCleaning, CleansEachUrlInOrder) {
  const auto result = engine::removingTrackingParametersFromURLList(
      {*Url::parseStrict("https://a.example/?utm_source=x&k=1"), *Url::parseStrict("https://okta.com/?utm_source=x"),
       *Url::parseStrict("mailto:joe@example.com?subject=hi&utm_source=x")});
  ASSERT_EQ(result.size(), 3u);
  EXPECT_EQ(result[0].absoluteString(), "https://a.example/?k=1");
  EXPECT_EQ(result[1].absoluteString(), "https://okta.com/?utm_source=x");
  EXPECT_EQ(result[2].absoluteString(), "mailto:joe@example.com?subject=hi");
}

}  // namespace

namespace {

TEST(TextCleaning, RunsOnSeveralThreadsAtOnce) {
  const std::string text =
      "https://www.amazon.de/dp/B01/ref=x?qid=1&th=1 https://song.link/https://a.example/?utm_source=1 "
      "https://click.pstmrk.it/2sm/a.example%2Fp%3Fgclid%3D1/x/y joe@example.com";
  const std::string expected = engine::removingTrackingParametersFromURLs(text);
  std::vector<std::thread> threads;
  std::vector<std::string> results(4);
  for (std::size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 20; ++round) results[i] = engine::removingTrackingParametersFromURLs(text);
    });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& result : results) EXPECT_EQ(result, expected);
  EXPECT_NE(expected, text);
}

}  // namespace
