#include "engine/rich_content.h"

#include <gtest/gtest.h>

#include "doubles/memory_pasteboard.h"
#include "support/rich_text_sample.h"

namespace engine {
namespace {

using platform::MemoryPasteboard;
using platform::PasteboardItem;
namespace type = platform::PasteboardType;

std::optional<std::string> read(std::map<std::string, platform::Bytes> dataByType) {
  MemoryPasteboard pasteboard;
  PasteboardItem item;
  for (const auto& [name, data] : dataByType) item.types.push_back(name);
  item.dataByType = std::move(dataByType);
  pasteboard.setItems({item});
  std::optional<platform::AttributedString> content = attributedContent(pasteboard);
  if (!content) return std::nullopt;
  return content->string() + (content->containsLink() ? " (linked)" : "");
}

TEST(RichContentTest, EachFormatIsTriedWhenTheOneBeforeIsMissingOrDoesNotDecode) {
  const std::string rtf = "{\\rtf1 from " + richtext_test::rtfLink("https://r.example/", "rtf") + "}";
  const std::string flatRtfd = std::string("rtfd\0\0\0\0", 8) + "{\\rtf1 from rtfd}";
  EXPECT_EQ(read({{type::rtfd, flatRtfd}, {type::rtf, rtf}, {type::html, "<b>html</b>"}}), "from rtfd");
  EXPECT_EQ(read({{type::rtfd, "not flat rtfd"}, {type::rtf, rtf}, {type::html, "<b>html</b>"}}), "from rtf (linked)");
  EXPECT_EQ(read({{type::rtf, "not rtf"}, {type::html, richtext_test::htmlLink("https://h.example/", "html")}}),
            "html (linked)");
  EXPECT_EQ(read({{type::html, "<b>html</b>"}}), "html");
  EXPECT_EQ(read({{type::string, "plain only"}}), std::nullopt);
  EXPECT_EQ(read({}), std::nullopt);
}

TEST(RichContentTest, OnlyHtmlMustHaveVisibleText) {
  EXPECT_EQ(read({{type::rtf, "{\\rtf1 \\par \\tab}"}}), "\n\t");
  EXPECT_EQ(read({{type::html, "<p> </p><br>"}}), std::nullopt);
  EXPECT_EQ(read({{type::rtf, "broken"}, {type::html, "<p>\n</p>"}}), std::nullopt);
  // Whitespace counts by character: a no-break space with a combining accent is one whitespace character.
  EXPECT_EQ(read({{type::html, "<p>&nbsp;&#x301;</p>"}}), std::nullopt);
  EXPECT_EQ(read({{type::html, "<p>&nbsp;e&#x301;</p>"}}), "\u00A0e\u0301\n");
}

}  // namespace
}  // namespace engine
