// Documents as browsers, office suites and word processors put them on the clipboard, read to the text a
// user expects, with links on the right ranges.
#include <gtest/gtest.h>

#include "platform/text/html_reader.h"
#include "platform/text/rtf_reader.h"
#include "platform/text/rtfd_reader.h"
#include "rich_text_test_helpers.h"

namespace platform {
namespace {

using richtext_test::describe;
using richtext_test::readDocument;

TEST(RichDocumentReadingTest, BrowserHtml) {
  EXPECT_EQ(describe(readHtml(readDocument("firefox_article.html"))),
            "Release notes\n"
            "Read the [full announcement](https://example.org/news/2024?utm_source=newsletter&utm_medium=email&id=42)"
            " and the [install guide](/docs/install).\n"
            "\t•\tFaster start-up\n"
            "\t•\tNew dark theme\n"
            "\t\t◦\tFollows the system\n"
            "Café naïve\u00A0— line one\u2028line two\n");

  EXPECT_EQ(describe(readHtml(readDocument("chromium_table.html"))),
            "Name\tSite\n"
            "Ada\t[profile](https://www.example.com/profile?id=7&fbclid=AbC123)\n"
            "Grace\tnone\n"
            "\t3.\tthird\n"
            "\t7.\tseventh\n"
            "\t8.\teighth\n"
            "  indented  code\n"
            "\ttab\n");
}

TEST(RichDocumentReadingTest, OfficeHtml) {
  // Paragraphs inside list items and table cells do not split their line; the base resolves relative
  // links; script links are no links.
  EXPECT_EQ(describe(readHtml(readDocument("libreoffice_writer.html"))),
            "Shopping list for the "
            "[spring trip](https://docs.example.net/manual/chapter2/trip.html?utm_campaign=spring#day1):\n"
            "\t•\tBread\n"
            "\t•\tCheese\n"
            "\t\t◦\tGruyère\n"
            "Day\tPlace\n"
            "Monday\tLyon\n"
            "\u2028\n");

  // Conditional comments around the list markers are comments, not text.
  EXPECT_EQ(describe(readHtml(readDocument("office_suite_list.html"))),
            "Agenda for Tuesday:\n"
            "·\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0 Budget review\n"
            "·\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0 See [the "
            "plan](https://intranet.example.com/plan?mc_cid=123&page=2)\n");
}

TEST(RichDocumentReadingTest, WordProcessorRtf) {
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

TEST(RichDocumentReadingTest, RtfCodePagesFollowTheDocumentAndTheFontCharsets) {
  EXPECT_EQ(describe(readRtf(readDocument("codepages.rtf"))),
            "Привет, мир!\n"
            "こんにちは\n"
            "Zgłoszenie źč\n"
            "Жж\n");
}

TEST(RichDocumentReadingTest, FlattenedRtfdCarriesItsRtf) {
  std::string rtf = readDocument("mac_style_list.rtf");
  std::string flat = std::string("rtfd\0\0\0\0\3\0\0\0", 12) + "TXT.rtf" + rtf + "\x89PNG attachment bytes {\\rtf1 no}";
  std::optional<AttributedString> read = readRtfd(flat);
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, *readRtf(rtf));
  EXPECT_FALSE(readRtfd(rtf));  // plain RTF is no RTFD
  EXPECT_FALSE(readRtfd(std::string("rtfd\0\0\0\0", 8) + "no document here"));
}

}  // namespace
}  // namespace platform
