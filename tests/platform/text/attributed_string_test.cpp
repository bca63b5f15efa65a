#include "platform/text/attributed_string.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

Url url(const char* text) { return *Url::parse(text); }

TextAttributes linkTo(const char* text) { return TextAttributes{url(text), std::nullopt}; }

// Renders runs as "[text](link)" and plain text as is, which keeps expectations readable.
std::string describeRuns(const AttributedString& s) {
  std::string out;
  for (const AttributedString::Run& run : s.runs()) {
    std::string part = s.string().substr(run.range.location, run.range.length);
    out += run.attributes.link ? "[" + part + "](" + run.attributes.link->absoluteString() + ")" : part;
  }
  return out;
}

TEST(AttributedStringTest, RunsMergeEqualNeighboursAndLinksLandOnTheirRanges) {
  AttributedString s;
  s.append("see ");
  s.append("this", linkTo("https://a.example/"));
  s.append(" and ", {});
  s.append("that", linkTo("https://a.example/"));
  EXPECT_EQ(describeRuns(s), "see [this](https://a.example/) and [that](https://a.example/)");
  EXPECT_EQ(s.runs().size(), 4u);

  s.setLink(ByteRange::fromBounds(8, 13), url("https://a.example/"));
  EXPECT_EQ(describeRuns(s), "see [this and that](https://a.example/)");
  EXPECT_EQ(s.runs().size(), 2u);

  s.setLink(ByteRange::fromBounds(0, 3), std::nullopt);
  s.setLink(ByteRange::fromBounds(9, 12), std::nullopt);
  EXPECT_EQ(describeRuns(s), "see [this ](https://a.example/)and[ that](https://a.example/)");
  EXPECT_TRUE(s.containsLink());
  EXPECT_FALSE(AttributedString("plain").containsLink());
  EXPECT_FALSE(AttributedString().containsLink());
  EXPECT_TRUE(AttributedString().runs().empty());
}

TEST(AttributedStringTest, ReplacementTakesTheAttributesOfTheFirstReplacedCharacter) {
  AttributedString s("go to ");
  s.append("https://x.example/?utm_source=a", linkTo("https://x.example/?utm_source=a"));
  s.append(" now");
  s.replace(ByteRange::fromBounds(6, 37), "https://x.example/");
  EXPECT_EQ(describeRuns(s), "go to [https://x.example/](https://x.example/?utm_source=a) now");

  // Replacing across a run boundary: the first character decides.
  s.replace(ByteRange::fromBounds(3, 8), "TO h");
  EXPECT_EQ(describeRuns(s), "go TO h[tps://x.example/](https://x.example/?utm_source=a) now");

  // Deleting a whole run leaves its neighbours merged.
  AttributedString t("a");
  t.append("b", linkTo("https://b.example/"));
  t.append("c");
  t.replace(ByteRange::fromBounds(1, 2), "");
  EXPECT_EQ(describeRuns(t), "ac");
  EXPECT_EQ(t.runs().size(), 1u);

  // An insertion takes the attributes of the character before it.
  AttributedString u("x", linkTo("https://u.example/"));
  u.append("y");
  u.replace(ByteRange::fromBounds(1, 1), "++");
  EXPECT_EQ(describeRuns(u), "[x++](https://u.example/)y");
  u.replace(ByteRange::fromBounds(0, 0), "<");
  EXPECT_EQ(describeRuns(u), "[<x++](https://u.example/)y");
}

TEST(AttributedStringTest, LinksOnlyDropsEveryOtherAttributeAndKeepsLinkRanges) {
  AttributedString s("Bold", TextAttributes{std::nullopt, FontSpec{"Sans", 14}});
  s.append("link", TextAttributes{url("https://l.example/"), FontSpec{"Sans", 12}});
  s.append("tail", TextAttributes{std::nullopt, FontSpec{"Serif", 12}});
  EXPECT_TRUE(s.containsFontAttribute());
  AttributedString links = s.linksOnly();
  EXPECT_FALSE(links.containsFontAttribute());
  EXPECT_EQ(describeRuns(links), "Bold[link](https://l.example/)tail");
  EXPECT_EQ(links.runs().size(), 3u);
}

}  // namespace
}  // namespace platform
