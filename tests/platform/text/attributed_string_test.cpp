#include "platform/text/attributed_string.h"

#include <gtest/gtest.h>

#include <ranges>
#include <string>
#include <vector>

#include "platform/text/character_view.h"
#include "platform/text/grapheme.h"
#include "support/rich_text.h"

namespace platform {
namespace {

using richtext_test::describe;

Url url(const char* text) { return *Url::parse(text); }

using richtext_test::linkTo;

TEST(AttributedStringTest, RunsMergeEqualNeighboursAndLinksLandOnTheirRanges) {
  AttributedString s;
  s.append("see ");
  s.append("this", linkTo("https://a.example/"));
  s.append(" and ", {});
  s.append("that", linkTo("https://a.example/"));
  EXPECT_EQ(describe(s), "see [this](https://a.example/) and [that](https://a.example/)");
  EXPECT_EQ(s.runs().size(), 4u);

  s.setLink(ByteRange::fromBounds(8, 13), url("https://a.example/"));
  EXPECT_EQ(describe(s), "see [this and that](https://a.example/)");
  EXPECT_EQ(s.runs().size(), 2u);

  s.setLink(ByteRange::fromBounds(0, 3), std::nullopt);
  s.setLink(ByteRange::fromBounds(9, 12), std::nullopt);
  EXPECT_EQ(describe(s), "see [this ](https://a.example/)and[ that](https://a.example/)");
  EXPECT_TRUE(s.containsLink());
  EXPECT_FALSE(AttributedString("plain").containsLink());
  EXPECT_FALSE(AttributedString().containsLink());
  EXPECT_TRUE(AttributedString().runs().empty());
}

// As setLink over each link's run: links that become the same merge, the text between links keeps its runs.
TEST(AttributedStringTest, TransformedLinksMergeWhenTheyBecomeEqual) {
  AttributedString s("a");
  s.append("b", linkTo("https://x.example/?t=1"));
  s.append("c", linkTo("https://x.example/?t=2"));
  s.append("d", linkTo("https://x.example/"));
  s.append("e");
  s.append("f", linkTo("https://y.example/?t=3"));
  AttributedString expected = s;
  for (const auto& [range, link] :
       std::vector<std::pair<ByteRange, const char*>>{{{1, 3}, "https://x.example/"}, {{5, 1}, "https://y.example/"}}) {
    expected.setLink(range, url(link));
  }
  s.transformLinks([](const Url& link) {
    const std::string& text = link.absoluteString();
    return url(text.substr(0, text.find('?')).c_str());
  });
  EXPECT_TRUE(s == expected);
  EXPECT_EQ(describe(s), "a[bcd](https://x.example/)e[f](https://y.example/)");
  EXPECT_EQ(s.runs().size(), 4u);
}

TEST(AttributedStringTest, ReplacementTakesTheAttributesOfTheFirstReplacedCharacter) {
  AttributedString s("go to ");
  s.append("https://x.example/?utm_source=a", linkTo("https://x.example/?utm_source=a"));
  s.append(" now");
  s.replace(ByteRange::fromBounds(6, 37), "https://x.example/");
  EXPECT_EQ(describe(s), "go to [https://x.example/](https://x.example/?utm_source=a) now");

  // Replacing across a run boundary: the first character decides.
  s.replace(ByteRange::fromBounds(3, 8), "TO h");
  EXPECT_EQ(describe(s), "go TO h[tps://x.example/](https://x.example/?utm_source=a) now");

  // Deleting a whole run leaves its neighbours merged.
  AttributedString t("a");
  t.append("b", linkTo("https://b.example/"));
  t.append("c");
  t.replace(ByteRange::fromBounds(1, 2), "");
  EXPECT_EQ(describe(t), "ac");
  EXPECT_EQ(t.runs().size(), 1u);

  // An insertion takes the attributes of the character before it.
  AttributedString u("x", linkTo("https://u.example/"));
  u.append("y");
  u.replace(ByteRange::fromBounds(1, 1), "++");
  EXPECT_EQ(describe(u), "[x++](https://u.example/)y");
  u.replace(ByteRange::fromBounds(0, 0), "<");
  EXPECT_EQ(describe(u), "[<x++](https://u.example/)y");
}

TEST(AttributedStringTest, LinksOnlyDropsEveryOtherAttributeAndKeepsLinkRanges) {
  AttributedString s("Bold", TextAttributes{std::nullopt, FontSpec{"Sans", 14}});
  s.append("link", TextAttributes{url("https://l.example/"), FontSpec{"Sans", 12}});
  s.append("tail", TextAttributes{std::nullopt, FontSpec{"Serif", 12}});
  EXPECT_TRUE(s.containsFontAttribute());
  AttributedString links = s.linksOnly();
  EXPECT_FALSE(links.containsFontAttribute());
  EXPECT_EQ(describe(links), "Bold[link](https://l.example/)tail");
  EXPECT_EQ(links.runs().size(), 3u);
}

static_assert(std::ranges::bidirectional_range<AttributedString::CharacterView>);
static_assert(std::ranges::common_range<AttributedString::CharacterView>);

// A step looks only at the characters around it; walked from either end, and turning back half-way, the view finds
// the characters of the whole text.
TEST(AttributedStringTest, TheCharacterViewWalksTheCharactersOfTheWholeTextBothWays) {
  auto repeated = [](std::string_view part, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += part;
    return out;
  };
  // Runs longer than the stretch a step looks at, marks and flags that straddle its edges, invalid bytes, text
  // without two ASCII bytes in a row, CR LF.
  const std::vector<std::string> texts = {
      "",
      "abc",
      " \r\n\t abc \u2028\u3000",
      std::string(1000, ' ') + "x" + std::string(5000, '\n'),
      repeated(" \u0301", 300) + "a" + repeated("\u3000\u0301 ", 300),
      "ab" + repeated("🇩🇪", 100) + " " + repeated("🇩🇪", 101),
      std::string(255, ' ') + "e\u0301 x " + std::string(254, ' ') + "\u0301",
      "\xff  abc \xc3",
      repeated("\u3000", 2000) + "あ" + repeated("\u2003", 2000),
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    const std::vector<std::string_view> whole = graphemes(text);
    AttributedString attributed(text);
    const AttributedString::CharacterView characters = attributed.characters();
    std::vector<std::string_view> forward(characters.begin(), characters.end());
    EXPECT_EQ(forward, whole);
    std::vector<std::string_view> backward;
    for (auto at = characters.end(); at != characters.begin();) backward.push_back(*--at);
    EXPECT_EQ(std::vector<std::string_view>(backward.rbegin(), backward.rend()), whole);
    EXPECT_EQ(characters.size(), whole.size());

    // Back from the end to the middle, then on to the end again.
    const auto kept = static_cast<std::ptrdiff_t>(whole.size() / 2);
    const std::vector<std::string_view> secondHalf(std::ranges::prev(characters.end(), kept), characters.end());
    EXPECT_EQ(secondHalf, std::vector<std::string_view>(whole.end() - kept, whole.end()));
  }
}

TEST(AttributedStringTest, CharactersAreErasedWithTheirAttributes) {
  AttributedString s("e\u0301 ");
  s.append("link", linkTo("https://l.example/"));
  s.append(" \r\n");
  AttributedString::CharacterView characters = s.characters();
  auto afterMark = characters.erase(characters.begin(), std::ranges::next(characters.begin(), 2));
  EXPECT_EQ(*afterMark, "l");
  EXPECT_EQ(describe(s), "[link](https://l.example/) \r\n");
  auto end = characters.erase(std::ranges::prev(characters.end(), 2), characters.end());
  EXPECT_EQ(end, characters.end());
  EXPECT_EQ(describe(s), "[link](https://l.example/)");
  EXPECT_EQ(s.runs().size(), 1u);
}

}  // namespace
}  // namespace platform
