#include "engine/clearing_pass.h"

#include <gtest/gtest.h>

#include "engine/text_transforms.h"

namespace engine {
namespace {

namespace type = platform::PasteboardType;

TEST(ClearingPassTest, RichTextIsWrittenAsLinkOnlyRtfHtmlAndItsPlainCharacters) {
  platform::AttributedString text("Read\u2028this\u2029now");
  platform::TextAttributes link;
  link.link = platform::Url::parse("https://example.com/?utm_source=a&q=1");
  text.setAttributes({7, 4}, link);
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

}  // namespace
}  // namespace engine
