#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/text/html_reader.h"
#include "platform/text/html_writer.h"
#include "platform/text/rtf_reader.h"
#include "platform/text/rtf_writer.h"
#include "rich_text_test_helpers.h"

namespace platform {
namespace {

using richtext_test::describe;
using richtext_test::readDocument;

AttributedString sample() {
  AttributedString text("Price: 5€ {net}\\ \"quoted\"\nSee ");
  text.append("the shop", TextAttributes{Url::parse("https://shop.example/a?b=1&c={x}\"y\""), std::nullopt});
  text.append("\u2028next\tcol 😀 end");
  return text;
}

// Tabs and line feeds as rendered HTML shows them: one space between words, none at the ends of a line.
std::string htmlWhitespace(std::string text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    bool lineBreak = text[i] == '\n' || text.compare(i, 3, "\u2028") == 0;
    if (lineBreak) {
      while (!result.empty() && result.back() == ' ') result.pop_back();
      result += "\u2028";
      i += text[i] == '\n' ? 0 : 2;
    } else if (text[i] == ' ' || text[i] == '\t') {
      if (!result.empty() && result.back() != ' ' &&
          result.compare(result.size() - std::min<size_t>(3, result.size()), 3, "\u2028") != 0) {
        result += ' ';
      }
    } else {
      result += text[i];
    }
  }
  while (!result.empty() && result.back() == ' ') result.pop_back();
  return result;
}

TEST(RichTextWriterTest, RtfOutput) {
  EXPECT_EQ(writeRtf(sample()),
            "{\\rtf1\\ansi\\ansicpg1252\\uc0 Price: 5\\u8364  \\{net\\}\\\\ \"quoted\"\\par\n"
            "See {\\field{\\*\\fldinst{HYPERLINK \"https://shop.example/a?b=1&c=%7Bx%7D%22y%22\"}}"
            "{\\fldrslt the shop}}\\line next\\tab col \\u-10179 \\u-8704  end}");
  // Line ends of every kind, other control characters dropped, characters above U+7FFF negative.
  EXPECT_EQ(writeRtf(AttributedString("a\r\nb\rc\u2029d\x01\x7F\uFFFD")),
            "{\\rtf1\\ansi\\ansicpg1252\\uc0 a\\par\nb\\par\nc\\par\nd\\u-3 }");
  EXPECT_EQ(writeRtf(AttributedString()), "{\\rtf1\\ansi\\ansicpg1252\\uc0 }");
}

TEST(RichTextWriterTest, HtmlOutput) {
  EXPECT_EQ(writeHtml(sample()),
            "<html><head><meta charset=\"utf-8\"></head><body>Price: 5€ {net}\\ \"quoted\"<br>See "
            "<a href=\"https://shop.example/a?b=1&amp;c=%7Bx%7D%22y%22\">the shop</a><br>next&#9;col 😀 end"
            "</body></html>");
  EXPECT_EQ(writeHtml(AttributedString(" lead  two   three <&>\r\n x")),
            "<html><head><meta charset=\"utf-8\"></head><body>&nbsp;lead&nbsp; two&nbsp; &nbsp;three &lt;&amp;&gt;"
            "<br>&nbsp;x</body></html>");
  EXPECT_EQ(writeHtml(sample(), {"html", "head", "meta", "body", "br", "a"}),
            "Price: 5€ {net}\\ \"quoted\"\nSee the shop\nnext&#9;col 😀 end");
}

TEST(RichTextWriterTest, OurReadersReadOurOutputBack) {
  std::vector<AttributedString> texts = {sample(), *readRtf(readDocument("libreoffice_writer.rtf")),
                                         *readRtf(readDocument("mac_style_list.rtf")),
                                         *readHtml(readDocument("firefox_article.html"))};
  for (const AttributedString& text : texts) {
    EXPECT_EQ(describe(readRtf(writeRtf(text))), describe(text));
    // HTML has no tab or line feed of its own: they come back as collapsible space and line separators.
    EXPECT_EQ(htmlWhitespace(describe(readHtml(writeHtml(text)))), htmlWhitespace(describe(text)));
  }
}

// Where an office suite is installed, it opens our RTF with the same text. The link must survive too:
// its HTML export keeps it as an anchor.
TEST(RichTextWriterTest, OfficeSuiteOpensOurRtf) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "soffice is not installed";
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("quillet-rtf-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  AttributedString text("Caf\u00E9 \u041F\u0440\u0438\u0432\u0435\u0442 ");
  text.append("link", TextAttributes{Url::parse("https://example.org/x?a=1&b=2"), std::nullopt});
  text.append("\ntab\there");
  std::ofstream(dir / "in.rtf", std::ios::binary) << writeRtf(text);
  std::string command = "cd '" + dir.string() + "' && HOME='" + dir.string() +
                        "' timeout 120 soffice --headless --norestore --convert-to 'txt:Text (encoded):UTF8' in.rtf "
                        ">/dev/null 2>&1 && HOME='" +
                        dir.string() +
                        "' timeout 120 soffice --headless --norestore --convert-to html in.rtf >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream txt(dir / "in.txt", std::ios::binary);
  std::string converted((std::istreambuf_iterator<char>(txt)), std::istreambuf_iterator<char>());
  if (converted.substr(0, 3) == "\xEF\xBB\xBF") converted.erase(0, 3);
  while (!converted.empty() && (converted.back() == '\n' || converted.back() == '\r')) converted.pop_back();
  EXPECT_EQ(converted, text.string());
  std::ifstream html(dir / "in.html", std::ios::binary);
  std::string exported((std::istreambuf_iterator<char>(html)), std::istreambuf_iterator<char>());
  std::optional<AttributedString> back = readHtml(exported);
  ASSERT_TRUE(back);
  EXPECT_NE(describe(*back).find("[link](https://example.org/x?a=1&b=2)"), std::string::npos) << describe(*back);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace platform
