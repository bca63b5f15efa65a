#include "platform/text/rtf_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/text/html_reader.h"
#include "platform/text/rtf_reader.h"
#include "support/rich_text.h"

namespace platform {
namespace {

using richtext_test::describe;
using richtext_test::linkTo;
using richtext_test::writerInputs;
using richtext_test::writerSample;

TEST(RtfWriterTest, EscapesTextAndWritesLinksAsFields) {
  EXPECT_EQ(writeRtf(writerSample()),
            "{\\rtf1\\ansi\\ansicpg1252\\uc0 Price: 5\\u8364  \\{net\\}\\\\ \"quoted\"\\par\n"
            "See {\\field{\\*\\fldinst{HYPERLINK \"https://shop.example/a?b=1&c=%7Bx%7D%22y%22\"}}"
            "{\\fldrslt the shop}}\\line next\\tab col \\u-10179 \\u-8704  end}");
  // Line ends of every kind, other control characters dropped, characters above U+7FFF negative.
  EXPECT_EQ(writeRtf(AttributedString("a\r\nb\rc\u2029d\x01\x7F\uFFFD")),
            "{\\rtf1\\ansi\\ansicpg1252\\uc0 a\\par\nb\\par\nc\\par\nd\\u-3 }");
  EXPECT_EQ(writeRtf(AttributedString()), "{\\rtf1\\ansi\\ansicpg1252\\uc0 }");
}

TEST(RtfWriterTest, OurReaderReadsOurOutputBack) {
  for (const AttributedString& text : writerInputs()) {
    EXPECT_EQ(describe(readRtf(writeRtf(text))), describe(text));
  }
}

// Where an office suite is installed, it opens our RTF with the same text. The link must survive too:
// its HTML export keeps it as an anchor.
TEST(RtfWriterTest, OfficeSuiteOpensOurRtf) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "soffice is not installed";
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("quillet-rtf-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  AttributedString text("Caf\u00E9 \u041F\u0440\u0438\u0432\u0435\u0442 ");
  text.append("link", linkTo("https://example.org/x?a=1&b=2"));
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
