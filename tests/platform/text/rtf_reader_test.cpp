#include "platform/text/rtf_reader.h"

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "support/rich_text.h"

namespace platform {
namespace {

using richtext_test::describe;
using richtext_test::readDocument;

std::string read(std::string_view rtf) { return describe(readRtf(rtf)); }

TEST(RtfReaderTest, OnlyRtfIsRead) {
  EXPECT_FALSE(readRtf(""));
  EXPECT_FALSE(readRtf("plain text"));
  EXPECT_FALSE(readRtf("{\\rtx1 no}"));
  EXPECT_EQ(read(" \r\n\t{\\rtf1 leading whitespace}"), "leading whitespace");
  // Missing closing braces are tolerated; text after the document's last brace is not read.
  EXPECT_EQ(read("{\\rtf1 unfinished {\\b bold"), "unfinished bold");
  EXPECT_EQ(read("{\\rtf1 done}trailing"), "done");
  // Whitespace-only documents still count as RTF.
  EXPECT_EQ(read("{\\rtf1 \\par }"), "\n");
}

TEST(RtfReaderTest, ControlWordsAndSymbols) {
  EXPECT_EQ(read("{\\rtf1 a\\par b\\line c\\tab d\\~e\\_f\\-g\\bullet\\emdash\\endash}"),
            "a\nb\u2028c\td\u00A0e\u2011fg•—–");
  EXPECT_EQ(read("{\\rtf1 \\lquote x\\rquote  \\ldblquote y\\rdblquote}"), "‘x’ “y”");
  EXPECT_EQ(read("{\\rtf1 \\\\ \\{ \\}}"), "\\ { }");
  EXPECT_EQ(read("{\\rtf1 r1c1\\cell r1c2\\cell\\row r2\\page p\\sect s}"), "r1c1\tr1c2\t\nr2\np\ns");
  // Raw line breaks are not text; a backslash before one is a paragraph.
  EXPECT_EQ(read("{\\rtf1 one\r\ntwo\\\nthree}"), "onetwo\nthree");
  // Parameters end at a space, which belongs to the control word.
  EXPECT_EQ(read("{\\rtf1\\fs24 x\\b0  y}"), "x y");
}

TEST(RtfReaderTest, UnicodeEscapesSkipTheirFallbackPerGroup) {
  EXPECT_EQ(read("{\\rtf1 \\u233?t\\u233 \\'e9}"), "été");
  EXPECT_EQ(read("{\\rtf1\\uc2 \\u8364xx|{\\uc0 \\u8364|}\\u8364ab|}"), "€|€|€|");
  EXPECT_EQ(read("{\\rtf1\\uc1 \\u-3913?}"), "\uF0B7");             // negative: + 65536
  EXPECT_EQ(read("{\\rtf1\\uc1 \\u-10179?\\u-8704?}"), "😀");        // a surrogate pair
  EXPECT_EQ(read("{\\rtf1\\uc1 \\u-10179? lone}"), "\uFFFD lone");  // a lone high surrogate
  EXPECT_EQ(read("{\\rtf1\\uc1 \\u-8704?}"), "\uFFFD");             // a lone low surrogate
  // A group ends the fallback.
  EXPECT_EQ(read("{\\rtf1\\uc3 {\\u8226}x}"), "•x");
}

TEST(RtfReaderTest, DestinationsWithoutTextAreSkipped) {
  EXPECT_EQ(read("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1;}{\\stylesheet{\\s1 Heading;}}"
                 "{\\info{\\title T}{\\author A}}{\\*\\unknown hidden}{\\*\\generator G;}"
                 "{\\header H}{\\footerr F}{\\pict 89504e47}{\\*\\themedata 00}text}"),
            "text");
  // \upr carries an 8-bit form and a Unicode form of the same text: only the latter is read.
  EXPECT_EQ(read("{\\rtf1 {\\upr{\\'3f}{\\*\\ud{\\u1046?}}}!}"), "Ж!");
  // List markers are text.
  EXPECT_EQ(read("{\\rtf1 {\\listtext\\tab\\bullet\\tab}item{\\pntext \\'b7\\tab}next}"), "\t•\titem·\tnext");
}

TEST(RtfReaderTest, BinaryDataIsSkippedWithinTheInput) {
  EXPECT_EQ(read("{\\rtf1 a\\bin5 {}{}\\b\\bin3 xyzc}"), "abc");
  EXPECT_EQ(read("{\\rtf1 a{\\*\\blob\\bin2 }}x}b}"), "ab");
  // A length beyond the input ends the document without reading past it.
  EXPECT_EQ(read("{\\rtf1 a\\bin99999999999 b}"), "a");
  EXPECT_EQ(read("{\\rtf1 a\\bin-5 b}"), "ab");
}

TEST(RtfReaderTest, CodePagesFromTheDocumentAndTheCurrentFont) {
  EXPECT_EQ(read("{\\rtf1\\ansi \\'93\\'e9\\'94}"), "“é”");  // 1252 by default
  EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1251 \\'c6}"), "Ж");
  EXPECT_EQ(read("{\\rtf1\\mac \\'8e}"), "é");
  // A font's charset wins over the document's code page, and a group restores the font.
  EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 A;}{\\f1\\fcharset161 G;}{\\f2\\fcharset2 Symbol;}}"
                 "\\f0\\'e9{\\f1\\'e1}\\'e9{\\f2\\'b7}\\plain\\'e9}"),
            "éαé•é");
  // Charset 0 means the document's code page (writers on Cyrillic systems pair it with \ansicpg1251).
  EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\\f0 \\'c6}"), "Ж");
  // Double-byte code pages need both bytes together, also when the trail byte is ASCII.
  EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'83A}"), "あア");
  // An unknown code page reads as 1252; unmappable bytes become U+FFFD.
  EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg99999 \\'e9}"), "é");
  EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1253 \\'ff}"), "\uFFFD");
}

// Single-byte code pages are read byte by byte through a table: every byte reads as ICU reads it within a run.
TEST(RtfReaderTest, EveryByteOfASingleByteCodePageReadsAsItsConverterReadsIt) {
  std::string bytes;
  std::string escaped;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    bytes += static_cast<char>(byte);
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\'%02x", byte);
    escaped += hex;
  }
  const std::vector<std::pair<int, const char*>> codePages = {
      {1250, "windows-1250"}, {1251, "windows-1251"}, {1252, "windows-1252"}, {1253, "windows-1253"},
      {1255, "windows-1255"}, {874, "windows-874"},   {10000, "macintosh"},   {437, "ibm-437"}};
  for (const auto& [codePage, converterName] : codePages) {
    const icu::UnicodeString expected(bytes.data(), static_cast<int32_t>(bytes.size()), converterName);
    ASSERT_FALSE(expected.isBogus()) << converterName;
    std::string expectedUtf8;
    expected.toUTF8String(expectedUtf8);
    const std::string document = "{\\rtf1\\ansi\\ansicpg" + std::to_string(codePage) + " " + escaped + "}";
    EXPECT_EQ(readRtf(document)->string(), expectedUtf8) << codePage;
  }
}

TEST(RtfReaderTest, HyperlinkFields) {
  EXPECT_EQ(read("{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"https://a.example/?q=1\"}}{\\fldrslt here}} ok}"),
            "see [here](https://a.example/?q=1) ok");
  // Anchors, unescaped switches, quoting and other arguments.
  EXPECT_EQ(read("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"https://a.example/doc\" \\\\l \"part 2\" \\\\o \"tip\"}"
                 "{\\fldrslt x}}}"),
            "[x](https://a.example/doc#part%202)");
  EXPECT_EQ(read("{\\rtf1 {\\field{\\*\\fldinst { HYPERLINK \\l \"top\" }}{\\fldrslt y}}}"), "[y](#top)");
  EXPECT_EQ(read("{\\rtf1 {\\field{\\*\\fldinst hyperlink https://b.example/}{\\fldrslt z}}}"),
            "[z](https://b.example/)");
  // Non-ASCII addresses come through the code page and are encoded by the lenient parse.
  EXPECT_EQ(read("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"https://c.example/caf\\'e9\"}{\\fldrslt c}}}"),
            "[c](https://c.example/caf%C3%A9)");
  // Other fields keep their result without a link; an empty result gets no link.
  EXPECT_EQ(
      read("{\\rtf1 {\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}|{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt }}}"),
      "3|");
  // A nested field wins over the outer one for its own text.
  EXPECT_EQ(read("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"https://o.example/\"}{\\fldrslt a"
                 "{\\field{\\*\\fldinst HYPERLINK \"https://i.example/\"}{\\fldrslt b}}c}}}"),
            "[a](https://o.example/)[b](https://i.example/)[c](https://o.example/)");
  // An unfinished document still links what its field shows.
  EXPECT_EQ(read("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"https://u.example/\"}{\\fldrslt cut"),
            "[cut](https://u.example/)");
}

TEST(RtfReaderTest, DeepFormattingKeepsItsTextAndDeepStateChangesGiveUpWhole) {
  // Formatting groups nested 100,000 deep, closed again, with a link inside.
  std::string rtf = "{\\rtf1 start ";
  for (int i = 0; i < 100000; ++i) rtf += i % 2 ? "{\\b " : "{\\i ";
  rtf += "{\\field{\\*\\fldinst HYPERLINK \"https://d.example/\"}{\\fldrslt deep}}";
  for (int i = 0; i < 100000; ++i) rtf += "}";
  rtf += " end}";
  EXPECT_EQ(read(rtf), "start [deep](https://d.example/) end");

  // Groups that each change the font, as deep: nothing rather than the text before them.
  std::string fonts = "{\\rtf1 start ";
  for (int i = 0; i < 100000; ++i) fonts += i % 2 ? "{\\f1 " : "{\\f2 ";
  fonts += "deep";
  EXPECT_FALSE(readRtf(fonts));
}

// Documents as word processors put them on the clipboard.
TEST(RtfReaderTest, WordProcessorDocuments) {
  EXPECT_EQ(describe(readRtf(readDocument("libreoffice_writer.rtf"))),
            "Meeting notes – café and crème brûlée\n"
            "Привет “quoted” 😀\n"
            "•\tFirst point\n"
            "•\tSecond point with [a link](https://example.org/path?utm_source=rtf&q=1) inside\n"
            "Tab\tseparated\u2028next line");

  EXPECT_EQ(describe(readRtf(readDocument("mac_style_list.rtf"))),
            "\t•\tGroceries: café au lait\n"
            "\t•\tTickets from [the box office](https://tickets.example.com/order?id=9&utm_source=mail)\n"
            "Emoji: 😀 and “curly” quotes\n"
            "Second—dash");
}

TEST(RtfReaderTest, DocumentInSeveralCodePages) {
  EXPECT_EQ(describe(readRtf(readDocument("codepages.rtf"))),
            "Привет, мир!\n"
            "こんにちは\n"
            "Zgłoszenie źč\n"
            "Жж\n");
}

}  // namespace
}  // namespace platform
