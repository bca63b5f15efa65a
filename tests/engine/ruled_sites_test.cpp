#include "engine/ruled_sites.h"

#include <gtest/gtest.h>

namespace {

using platform::Url;

bool ruled(std::string_view text) {
  const auto url = Url::parse(text);
  EXPECT_TRUE(url.has_value()) << text;
  return url && engine::mayBeRuledSite(*url);
}

TEST(RuledSites, EveryHostARuleOrAnExemptionTakesIsFoundInAnyCaseAndAsASubdomain) {
  for (const char* text : {
           "https://m.youtube.com/watch?v=1",
           "https://YOUTU.BE/abc?t=1",
           "https://l.facebook.com/l.php?u=x",
           "https://www.Facebook.com/flx/warn?u=x",
           "https://x.com/i/redirect?url=y",
           "https://fxtwitter.com/u?t=1",
           "https://www.figma.com/exit?url=y",
           "https://www.google.de/url?q=y",
           "https://eur01.safelinks.protection.outlook.com/?url=y",
           "https://a.safelinks.protection.outlook.com.mcas.ms/?url=y",
           "https://mcas-proxyweb/?originalUrl=y",
           "https://x.cdn.office.net/safelinks/?url=y",
           "https://linkprotect.cudasvc.com/url?a=y",
           "https://urldefense.proofpoint.com/v2/url?u=y",
           "https://click.pstmrk.it/2sm/y/x",
           "https://open.spotify.com/track/1?si=a",
           "https://www.ebay.co.uk/itm/1?mkcid=1",
           "https://smile.amazon.de/dp/1?qid=1",
           "https://www.audible.com/pd/1?plink=1",
           "https://www.nytimes.com/a?smid=1",
           "https://vm.tiktok.com/1?_t=1",
           "https://acme.OKTA.com/app?utm_source=y",
           "https://auth0.com/?gclid=1",
           "https://eu-west-1.console.aws.amazon.com/?utm_source=y",
           "https://song.link/https://a.example/",
           "https://a.example/go?to=https://Song.Link/x",
       }) {
    EXPECT_TRUE(ruled(text)) << text;
  }
}

TEST(RuledSites, HostsReadDecodedAndAddressesOfReferencesWithoutSchemeAreFound) {
  EXPECT_TRUE(ruled("https://%79outube.com/watch?si=1"));
  EXPECT_TRUE(ruled("x.com/i/redirect?url=https://a.example/"));
  EXPECT_TRUE(ruled("www.facebook.com/messenger/desktop/archonUrl?url=y"));
  EXPECT_TRUE(ruled("//x.com/i/redirect?url=y"));
}

TEST(RuledSites, OtherHostsAndUrlsWithoutAnAddressAreNot) {
  for (const char* text : {"https://docs.example.org/guide/install?version=2&lang=en",
                           "https://github.com/acme/widgets/issues/981?q=youtube.com",
                           "mailto:joe@example.com?subject=x.com", "https:x.com/i/redirect?url=y",
                           "https://192.168.1.1/?a=1", "https://a.b/?c=d", "docs.example.org/a?q=amazon.de"}) {
    EXPECT_FALSE(ruled(text)) << text;
  }
}

}  // namespace
