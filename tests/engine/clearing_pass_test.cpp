#include "engine/clearing_pass.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/text_transforms.h"
#include "support/rich_text.h"

namespace engine {
namespace {

namespace type = platform::PasteboardType;

TEST(ClearingPassTest, RichTextIsWrittenAsLinkOnlyRtfHtmlAndItsPlainCharacters) {
  platform::AttributedString text("Read\u2028this\u2029now");
  text.setAttributes({7, 4}, richtext_test::linkTo("https://example.com/?utm_source=a&q=1"));
  auto cleaned = transformedText(text, {.removeTrackingParameters = true});
  auto entries = entriesForText(cleaned);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].type, type::rtf);
  EXPECT_NE(entries[0].data.find("HYPERLINK \"https://example.com/?q=1\""), std::string::npos) << entries[0].data;
  EXPECT_EQ(entries[0].data.find("\\fswiss"), std::string::npos);
  EXPECT_EQ(entries[1].type, type::html);
  EXPECT_NE(entries[1].data.find("href=\"https://example.com/?q=1\""), std::string::npos);
  EXPECT_EQ(entries[2].type, type::string);
  EXPECT_EQ(entries[2].data, "Read\nthis\nnow");

  auto plain = entriesForText(StringOrAttributedStringType(std::string()));
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].type, type::string);
  EXPECT_EQ(plain[0].data, "");
}

// A copy past a megabyte (after which the pass gives back the memory it freed) is cleaned as its parts are.
TEST(ClearingPassTest, ALargeCopyIsCleanedAsItsPartsAre) {
  const std::string paragraph = "\\pard Caf\\'e9 " +
                                richtext_test::rtfLink("https://example.com/?utm_source=a&q=1", "link") +
                                " & <tag>\\tab x\\par\n";
  const auto clean = [](const std::string& body, size_t times) {
    std::string rtf = "{\\rtf1\\ansi ";
    for (size_t i = 0; i < times; ++i) rtf += body;
    ContentToRead content;
    content.preserveLinks = true;
    content.rtf = std::make_shared<const std::string>(rtf + "}");
    content.plain = std::make_shared<const std::string>("x");
    return *cleanContent(content, {.removeTrackingParameters = true}, std::nullopt);
  };
  const size_t times = (1u << 20) / paragraph.size() + 1;
  const CleanedContent small = clean(paragraph, 1), large = clean(paragraph, times);
  ASSERT_EQ(large.entries.size(), 3u);
  const auto occurrences = [](const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  };
  for (size_t entry : {0u, 1u}) {  // the RTF and the HTML
    EXPECT_EQ(occurrences(large.entries[entry].data, "https://example.com/?q=1"), times) << large.entries[entry].type;
    EXPECT_EQ(occurrences(large.entries[entry].data, "utm_source"), 0u) << large.entries[entry].type;
  }
  std::string plain;
  for (size_t i = 0; i < times; ++i) plain += small.entries[2].data;
  EXPECT_EQ(large.entries[2].data, plain);
}

}  // namespace
}  // namespace engine
