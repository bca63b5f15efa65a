#include "platform/text/html_writer.h"

#include <gtest/gtest.h>

#include <string_view>

#include "platform/text/html_reader.h"
#include "platform/text/rtf_reader.h"
#include "support/rich_text.h"

namespace platform {
namespace {

using richtext_test::describe;
using richtext_test::writerInputs;
using richtext_test::writerSample;

// Tabs and line feeds as rendered HTML shows them: one space between words, none at the ends of a line.
std::string htmlWhitespace(std::string text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    bool lineBreak = text[i] == '\n' || std::string_view(text).substr(i).starts_with("\u2028");
    if (lineBreak) {
      while (!result.empty() && result.back() == ' ') result.pop_back();
      result += "\u2028";
      i += text[i] == '\n' ? 0 : 2;
    } else if (text[i] == ' ' || text[i] == '\t') {
      if (!result.empty() && result.back() != ' ' && !result.ends_with("\u2028")) {
        result += ' ';
      }
    } else {
      result += text[i];
    }
  }
  while (!result.empty() && result.back() == ' ') result.pop_back();
  return result;
}

TEST(HtmlWriterTest, EscapesTextKeepsSpacesAndWritesLinksAsAnchors) {
  EXPECT_EQ(writeHtml(writerSample()),
            "<html><head><meta charset=\"utf-8\"></head><body>Price: 5€ {net}\\ \"quoted\"<br>See "
            "<a href=\"https://shop.example/a?b=1&amp;c=%7Bx%7D%22y%22\">the shop</a><br>next&#9;col 😀 end"
            "</body></html>");
  EXPECT_EQ(writeHtml(AttributedString(" lead  two   three <&>\r\n x")),
            "<html><head><meta charset=\"utf-8\"></head><body>&nbsp;lead&nbsp; two&nbsp; &nbsp;three &lt;&amp;&gt;"
            "<br>&nbsp;x</body></html>");
  EXPECT_EQ(writeHtml(writerSample(), {"html", "head", "meta", "body", "br", "a"}),
            "Price: 5€ {net}\\ \"quoted\"\nSee the shop\nnext&#9;col 😀 end");
}

// HTML has no tab or line feed of its own: they come back as collapsible space and line separators.
TEST(HtmlWriterTest, OurReaderReadsOurOutputBack) {
  for (const AttributedString& text : writerInputs()) {
    EXPECT_EQ(htmlWhitespace(describe(readHtml(writeHtml(text)))), htmlWhitespace(describe(text)));
  }
}

}  // namespace
}  // namespace platform
