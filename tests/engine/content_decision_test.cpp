#include "engine/content_decision.h"

#include <gtest/gtest.h>

#include <string_view>

#include "doubles/memory_pasteboard.h"
#include "support/pasteboard_items.h"
#include "support/rich_text_sample.h"

namespace engine {
namespace {

using platform::MemoryPasteboard;
namespace type = platform::PasteboardType;

// What the content decision makes of the content: nothing, the plain text, or "(linked) " and rich text.
std::optional<std::string> decide(const PasteboardContent& content, bool preserveLinks = false,
                                  std::optional<std::string> frontmostApp = std::nullopt) {
  MemoryPasteboard pasteboard;
  pasteboard.setItems({itemOf(content)});
  auto result = contentToClean(pasteboard, preserveLinks, [&] { return frontmostApp; });
  if (!result) return std::nullopt;
  if (auto* plain = std::get_if<std::string>(&*result)) return *plain;
  return "(linked) " + std::get<platform::AttributedString>(*result).string();
}

TEST(ContentDecisionTest, SingleImageHtmlIsRecognisedOnlyAsWrittenAndOnlyWhenShort) {
  const std::string page = "<html><head><meta charset=\"utf-8\"></head><body>%</body></html>";
  auto with = [&](const std::string& body) {
    std::string html = page;
    return html.replace(html.find('%'), 1, body);
  };
  EXPECT_TRUE(isSingleImageHtml(with("<img src=\"a.png\">")));
  EXPECT_TRUE(isSingleImageHtml(with("<!-- c --><img src=\"a.png\"></img>")));
  EXPECT_FALSE(isSingleImageHtml(with("<img src=a><img src=b>")));
  EXPECT_FALSE(isSingleImageHtml(with("<span><img src=a></span>")));
  EXPECT_FALSE(isSingleImageHtml(with("<x-frame><img src=a></x-frame>")));
  EXPECT_FALSE(isSingleImageHtml(with("<IMG SRC=a>")));
  EXPECT_FALSE(isSingleImageHtml("<HTML><img src=a></HTML>"));
  std::string padded = with("<img src=\"a.png\">");
  padded += std::string(10000 - padded.size(), ' ');
  EXPECT_FALSE(isSingleImageHtml(padded));
  padded.pop_back();
  EXPECT_TRUE(isSingleImageHtml(padded));
}

TEST(ContentDecisionTest, RulesThatLeaveContentAloneAndTheirNearMisses) {
  EXPECT_EQ(decide({}), std::nullopt);
  EXPECT_EQ(decide({{type::html, "<i>(/figmeta)</i>"}, {type::rtf, "{\\rtf1 x}"}, {type::string, "x"}}), std::nullopt);
  EXPECT_EQ(decide({{type::html, "<p>(figmeta)</p>"}, {type::string, "f"}}), std::nullopt);
  EXPECT_EQ(decide({{type::html, "<!-- Drive options: isCopyOperation -->"}, {type::string, "d"}}), "d");
  EXPECT_EQ(decide({{type::html, "<!-- Drive options: isCopyOperation --><a href=\"x\">d</a>"}, {type::string, "d"}}),
            std::nullopt);
  // Blank plain text with HTML but no RTF is left alone; without any plain text the decision goes on.
  EXPECT_EQ(decide({{type::html, "<p>a</p>"}, {type::string, "\u2028 \n"}}), std::nullopt);
  EXPECT_EQ(decide({{type::html, "<p>a</p>"}, {type::rtf, "{\\rtf1 r}"}, {type::string, " "}}), " ");
  EXPECT_EQ(decide({{type::html, "<p>from html</p>"}}), "from html\n");
  // Whitespace counts by character, here and in the HTML: a space that carries a mark is blank.
  EXPECT_EQ(decide({{type::html, "<p>a</p>"}, {type::string, " \u0301"}}), std::nullopt);
  EXPECT_EQ(decide({{type::html, "<p>&nbsp;&#x301;</p>"}}), std::nullopt);
  // The spreadsheet's cut: only when the source application is the spreadsheet.
  const PasteboardContent cut = {{type::string, "1"}, {"dyn.abc", "Cut 1"}};
  EXPECT_EQ(decide(cut, false, "com.microsoft.Excel"), std::nullopt);
  EXPECT_EQ(decide(cut, false, "org.example.Sheet"), "1");
  PasteboardContent marked = cut;
  marked.emplace_back("com.microsoft.appbundleid", " com.microsoft.Excel\n");
  EXPECT_EQ(decide(marked), std::nullopt);
  // The drawing application's SVG, only when its text is SVG markup.
  const PasteboardContent drawing = {{"com.adobe.illustrator.svg", ""}, {"com.adobe.illustrator.aicb", ""}};
  PasteboardContent svg = drawing;
  svg.emplace_back(type::string, "\n <svg><path d=\"M0\"></path></svg>\n");
  EXPECT_EQ(decide(svg), std::nullopt);
  PasteboardContent words = drawing;
  words.emplace_back(type::string, "<svg> is a tag");
  EXPECT_EQ(decide(words), "<svg> is a tag");
  // Images, fonts and colours with text, unless RTF is there.
  EXPECT_EQ(decide({{type::tiff, "img"}, {type::string, "t"}}), std::nullopt);
  EXPECT_EQ(decide({{type::tiff, "img"}, {type::string, "t"}, {type::rtf, "{\\rtf1 t}"}}), "t");
  EXPECT_EQ(decide({{type::font, "f"}, {type::string, "t"}}), std::nullopt);
  EXPECT_EQ(decide({{type::color, "c"}, {type::string, "t"}}), std::nullopt);
  EXPECT_EQ(decide({{type::color, "c"}, {type::string, "t"}, {type::rtf, "{\\rtf1 t}"}}), "t");
  EXPECT_EQ(decide({{type::fileContents, "bytes"}, {type::string, "t"}}), std::nullopt);
  EXPECT_EQ(decide({{type::fileUrl, "file:///a"}, {type::string, "/a"}}), std::nullopt);
}

// Only the two forms of text are content to clean; each keeps its own case.
static_assert(StringOrAttributedString<std::string> && StringOrAttributedString<platform::AttributedString>);
static_assert(!StringOrAttributedString<const char*> && !StringOrAttributedString<std::string_view>);

TEST(ContentDecisionTest, TheTextToCleanComesFromPlainTextUrlOrRichTextInThatOrder) {
  const std::string linked = "{\\rtf1 See " + richtext_test::rtfLink("https://a.example/", "this") + "}";
  EXPECT_EQ(decide({{type::rtf, linked}, {type::string, "See this"}}, true), "(linked) See this");
  EXPECT_EQ(decide({{type::rtf, linked}, {type::string, "See this"}}, false), "See this");
  EXPECT_EQ(decide({{type::rtf, "{\\rtf1 no link}"}, {type::string, "plain"}}, true), "plain");
  EXPECT_EQ(decide({{type::string, ""}, {type::url, "https://u.example/"}}), "https://u.example/");
  EXPECT_EQ(decide({{type::string, ""}, {type::rtf, "{\\rtf1 only rich}"}}), "only rich");
  EXPECT_EQ(decide({{type::rtf, "{\\rtf1 \\par}"}}), "\n");
  EXPECT_EQ(decide({{type::string, ""}}), std::nullopt);
}

}  // namespace
}  // namespace engine
