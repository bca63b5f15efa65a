#include "engine/redirect_unwrapping.h"

#include <gtest/gtest.h>

namespace {

using platform::Url;

std::string unwrapped(std::string_view text) {
  const auto url = Url::parseStrict(text);
  EXPECT_TRUE(url.has_value()) << text;
  return url ? engine::unwrappingRedirect(*url).absoluteString() : std::string();
}

// Each wrapper form: a link that unwraps, and near misses that stay as they are.
struct Case {
  const char* input;
  const char* expected;  // nullptr: unchanged
};

void expectCases(const std::vector<Case>& cases) {
  for (const auto& c : cases) EXPECT_EQ(unwrapped(c.input), c.expected ? c.expected : c.input) << c.input;
}

TEST(RedirectUnwrapping, VideoMobileHostAndShortLinks) {
  expectCases({
      {"https://m.youtube.com/watch?v=abc&si=x", "https://youtube.com/watch?v=abc&si=x"},
      {"https://M.youtube.com/watch?v=abc", nullptr},
      {"https://youtu.be/dQw4w9WgXcQ?si=share&t=42", "https://youtube.com/watch?v=dQw4w9WgXcQ&t=42"},
      {"https://m.youtu.be/abc?t=1&t=2", "https://youtube.com/watch?v=abc&t=1&t=2"},
      {"https://youtu.be/", nullptr},
      {"https://YOUTU.BE/abc", nullptr},
  });
}

TEST(RedirectUnwrapping, SocialNetworkPages) {
  expectCases({
      {"https://www.facebook.com/messenger/desktop/archonUrl?url=https%3A%2F%2Fexample.com%2Fa",
       "https://example.com/a"},
      {"https://facebook.com/messenger/desktop/archonUrl?url=notaurl", nullptr},
      {"https://l.facebook.com/l.php?u=https%3A%2F%2Fexample.org%2F%3Fa%3D1&h=AT0", "https://example.org/?a=1"},
      {"https://lm.facebook.com/l.php?u=https%3A%2F%2Fexample.org%2F", "https://example.org/"},
      {"https://www.facebook.com/flx/warn/?u=https%3A%2F%2Fexample.net%2F", "https://example.net/"},
      {"https://L.facebook.com/l.php?u=https%3A%2F%2Fexample.org%2F", nullptr},
      {"https://l.facebook.com/l.php?u", nullptr},
      {"https://l.facebook.com/l.php?u=http%3A%2F%2Fexample.x%2F", nullptr},  // the gate refuses a one-letter TLD
      {"https://l.facebook.com/l.php?u=https%3A%2F%2Fexample.org%2Fa%20b", nullptr},
  });
}

TEST(RedirectUnwrapping, MicroBloggingDesignToolAndSearchRedirects) {
  expectCases({
      {"https://x.com/i/redirect?url=https%3A%2F%2Fexample.com%2F", "https://example.com/"},
      {"https://twitter.com/i/redirect?url=https%3A%2F%2Fexample.com%2F", "https://example.com/"},
      {"https://www.fxtwitter.com/i/redirect?url=https%3A%2F%2Fexample.com%2F", "https://example.com/"},
      {"https://x.com/i/status?url=https%3A%2F%2Fexample.com%2F", nullptr},
      {"https://www.figma.com/exit?url=https%3A%2F%2Fexample.com%2Fdoc", "https://example.com/doc"},
      {"https://figma.com/exit?link=https%3A%2F%2Fexample.com%2Fdoc", nullptr},
      {"https://www.google.com/url?sa=t&url=https%3A%2F%2Fexample.com%2Fp&ved=1", "https://example.com/p"},
      {"https://google.co.uk/url?url=notaurl&q=https%3A%2F%2Fexample.com%2Fq", "https://example.com/q"},
      {"https://www.google.de/url?q=mailto%3Anobody", nullptr},
      {"https://www.google.com/search?url=https%3A%2F%2Fexample.com%2F", nullptr},
      {"https://www.Google.com/url?url=https%3A%2F%2Fexample.com%2F", nullptr},
  });
}

TEST(RedirectUnwrapping, MailLinkProtectorsParseWithoutTheGate) {
  expectCases({
      {"https://eur01.safelinks.protection.outlook.com/?url=https%3A%2F%2Fintranet%2Fpage&data=1",
       "https://intranet/page"},
      {"https://nam02.safelinks.protection.outlook.com.mcas.ms/?url=https%3A%2F%2Fexample.com%2F",
       "https://example.com/"},
      {"https://x.safelinks.protection.outlook.com.rs-mcas.ms/?url=https%3A%2F%2Fexample.com%2F",
       "https://example.com/"},
      {"https://eur01.safelinks.protection.outlook.com/?url=https%3A%2F%2Fexample.com%2Fa%20b", nullptr},
      {"https://eur01.safelinks.protection.outlook.com/?data=1", nullptr},
      {"https://eur01.safelinks.protection.outlook.com.evil.ms/?url=https%3A%2F%2Fexample.com%2F", nullptr},
      {"https://mcas-proxyweb.mcas.ms/certificate-checker?originalUrl=https%3A%2F%2Fexample.com%2F",
       "https://example.com/"},
      {"https://mcas-proxyweb.eu2.mcas-gov.us/?originalUrl=https%3A%2F%2Fexample.com%2F", "https://example.com/"},
      {"https://mcas-proxyweb/?originalUrl=http%3A%2F%2Fx", "http://x"},
      {"https://proxyweb.mcas.ms/?originalUrl=https%3A%2F%2Fexample.com%2F", nullptr},
      {"https://mcas-proxyweb.mcas.ms/?originalUrl", nullptr},
      {"https://eu.cdn.office.net/owa/safelinks/x.html?url=https%3A%2F%2Fexample.com%2F", "https://example.com/"},
      {"https://eu.cdn.office.net/owa/x.html?url=https%3A%2F%2Fexample.com%2F", nullptr},
      {"https://linkprotect.cudasvc.com/url?a=https%3A%2F%2Fexample.com%2F&c=E", "https://example.com/"},
      {"https://linkprotect.cudasvc.com/url?c=E", nullptr},
      {"https://LinkProtect.cudasvc.com/url?a=https%3A%2F%2Fexample.com%2F", nullptr},
  });
}

TEST(RedirectUnwrapping, UrlDefenseDecodesItsOwnEscapes) {
  expectCases({
      {"https://urldefense.proofpoint.com/v2/url?u=https-3A__example.com_path-3Fa-3D1&d=DwMF",
       "https://example.com/path?a=1"},
      {"https://urldefense.com/v2/url?u=https-3A__example.com_", "https://example.com/"},
      {"https://urldefense.com/v2/url?u=https-3A__example.com_-ZZ", nullptr},  // "-ZZ" is no escape
      {"http://urldefense.com/v2/url?u=https-3A__example.com_", nullptr},
      {"https://urldefense.com/v3/__https://example.com__;!!x", nullptr},
  });
}

TEST(RedirectUnwrapping, MusicLinkPageAndClickTracker) {
  expectCases({
      {"https://song.link/https://open.example.com/track/1?si=abc", "https://open.example.com/track/1?si=abc"},
      {"HTTP://SONG.LINK/https://example.com/a", "https://example.com/a"},
      {"https://song.link/i/123", nullptr},
      {"https://songXlink/https://example.com/a", nullptr},
      {"https://click.pstmrk.it/2sm/example.com%2Fpath%3Fa%3D1/abcd/efgh", "https://example.com/path?a=1"},
      {"https://click.pstmrk.it/2sm/example.com%2Fpath%E9/abcd", nullptr},  // not UTF-8 once decoded
      {"https://click.pstmrk.it/3s/example.com%2Fpath/abcd", nullptr},
      {"https://Click.pstmrk.it/2sm/example.com%2Fpath/abcd", nullptr},
  });
}

TEST(RedirectUnwrapping, OnlyTheOuterLayerIsRemoved) {
  EXPECT_EQ(unwrapped("https://l.facebook.com/"
                      "l.php?u=https%3A%2F%2Fx.com%2Fi%2Fredirect%3Furl%3Dhttps%253A%252F%252Fexample.com%252F"),
            "https://x.com/i/redirect?url=https%3A%2F%2Fexample.com%2F");
  EXPECT_EQ(unwrapped("https://example.com/?u=https%3A%2F%2Fexample.org%2F"),
            "https://example.com/?u=https%3A%2F%2Fexample.org%2F");
}

}  // namespace
