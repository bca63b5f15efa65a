#include "platform/text/html_reader.h"

#include <gtest/gtest.h>

#include "support/rich_text.h"

namespace platform {
namespace {

using richtext_test::describe;
using richtext_test::readDocument;

std::string read(std::string_view html) { return describe(readHtml(html)); }

TEST(HtmlReaderTest, WhitespaceCollapsesLikeRenderedText) {
  EXPECT_EQ(read("  <p>  one \n\t two  </p>  "), "one two\n");
  EXPECT_EQ(read("<span>a </span> <b> b</b>"), "a b");
  EXPECT_EQ(read("a&nbsp;&nbsp; b"), "a\u00A0\u00A0 b");
  EXPECT_EQ(read("line <br> next"), "line\u2028next");
  EXPECT_EQ(read("a<div>b</div>"), "a\nb\n");
  EXPECT_EQ(read("<div><div><p>nested</p></div></div><p></p><p>again</p>"), "nested\nagain\n");
  EXPECT_EQ(read("<h1>Title</h1>text<hr>more"), "Title\ntext\nmore");
}

TEST(HtmlReaderTest, PreformattedTextKeepsItsWhitespace) {
  EXPECT_EQ(read("<pre>\n  a\r\n\tb  </pre>after"), "  a\n\tb  \nafter");
  EXPECT_EQ(read("<pre>\n\nkeeps the second</pre>"), "\nkeeps the second\n");
  EXPECT_EQ(read("x<textarea>  t  </textarea>"), "x  t  ");
}

TEST(HtmlReaderTest, ListsAndTables) {
  EXPECT_EQ(read("<ul><li>a<ul><li>b<ul><li>c<ul><li>d</li></ul></li></ul></li></ul></li></ul>"),
            "\t•\ta\n\t\t◦\tb\n\t\t\t▪\tc\n\t\t\t\t▪\td\n");
  EXPECT_EQ(read("<ol type=\"a\"><li>x</li><li>y</li></ol><li>stray</li>"), "\t1.\tx\n\t2.\ty\n\t•\tstray\n");
  EXPECT_EQ(read("<ol start=\"-2\"><li> x</li><li value=\"10\">y</li><li>z</li></ol>"),
            "\t-2.\tx\n\t10.\ty\n\t11.\tz\n");
  EXPECT_EQ(read("<table><tr><td>a</td><td> b </td><td></td></tr><tr><th>c</th></tr></table>"), "a\tb\t\nc\n");
}

TEST(HtmlReaderTest, NonTextContentIsLeftOut) {
  EXPECT_EQ(read("<html><head><title>T</title><style>p{}</style><script>x()</script></head>"
                 "<body>a<!-- note --><img src=\"i.png\" alt=\"pic\"><template>t</template>"
                 "<span hidden>h</span><?pi x?>b</body></html>"),
            "ab");
  // What reads to nothing but whitespace is given as it is: whether that is content is the reader's caller's call.
  EXPECT_EQ(read(""), "");
  EXPECT_EQ(read("<p> \n </p><img src=x><br>"), "\u2028");
  EXPECT_EQ(read("<p>\u3000\u00A0</p>"), "\u3000\u00A0\n");
  EXPECT_EQ(read("\x01<b>\x7F</b>"), "");
  EXPECT_EQ(read("a\x01\x1B b"), "a b");
}

TEST(HtmlReaderTest, LinksCoverTheirTextAndResolveAgainstTheBase) {
  EXPECT_EQ(read("go <a href=\" https://a.example/x?y=1&amp;z=2 \"> there </a>, now"),
            "go [there](https://a.example/x?y=1&z=2) , now");
  EXPECT_EQ(read("<a href=\"rel/page\">r</a>"), "[r](rel/page)");
  EXPECT_EQ(read("<base href=\"https://b.example/dir/x.html\"><a href=\"../up?q\">u</a> "
                 "<a href=\"//cdn.example/f\">c</a> <a href=\"#frag\">f</a>"),
            "[u](https://b.example/up?q) [c](https://cdn.example/f) [f](https://b.example/dir/x.html#frag)");
  EXPECT_EQ(read("<a href=\"JavaScript:alert(1)\">j</a><a href=\"data:text/html,x\">d</a><a>none</a>"), "jdnone");
  EXPECT_EQ(read("<a href=\"https://c.example/a b\">sp</a>"), "[sp](https://c.example/a%20b)");
  EXPECT_EQ(read("<a href=\"https://o.example/\">out <a href=\"https://i.example/\">in</a></a>"),
            "[out](https://o.example/) [in](https://i.example/)");  // the parser closes the outer link
  // A block's break stays before a link that opens it.
  EXPECT_EQ(read("<p>Intro</p><h2><a href=\"https://p.example/\">docs</a> tail</h2>"),
            "Intro\n[docs](https://p.example/) tail\n");
}

TEST(HtmlReaderTest, InputEncodings) {
  EXPECT_EQ(read("\xEF\xBB\xBF<p>bom</p>"), "bom\n");
  std::string utf16le = "\xFF\xFE";
  for (char c : std::string("<b>h\xE9</b>")) {
    utf16le += c;
    utf16le += '\0';
  }
  EXPECT_EQ(read(utf16le), "hé");
  std::string utf16be = "\xFE\xFF";
  for (char16_t c : std::u16string(u"<i>Ж</i>")) {
    utf16be += static_cast<char>(c >> 8);
    utf16be += static_cast<char>(c & 0xFF);
  }
  EXPECT_EQ(read(utf16be), "Ж");
  EXPECT_EQ(read("<meta charset=\"windows-1251\"><p>\xC6</p>"), "Ж\n");
  EXPECT_EQ(read("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">caf\xE9"), "café");
  // Valid UTF-8 wins over a stale declaration; invalid bytes without one are replaced.
  EXPECT_EQ(read("<meta charset=\"iso-8859-1\">caf\xC3\xA9"), "café");
  EXPECT_EQ(read("a\xFF b"), "a\uFFFD b");
}

TEST(HtmlReaderTest, HostileInputStaysBounded) {
  // Deep nesting builds no tree: the text is read, in time linear in the input.
  std::string deep = "<p>before</p>";
  for (int i = 0; i < 100000; ++i) deep += "<div><span>";
  deep += "x";
  EXPECT_EQ(read(deep), "before\nx\n");
  EXPECT_FALSE(readHtml(std::string((64u << 20) + 1, 'a')));
  EXPECT_EQ(read("<!DOCTYPE html SYSTEM \"http://127.0.0.1:9/x.dtd\"><!ENTITY e SYSTEM \"file:///etc/passwd\">ok&e;"),
            "ok&e;");
}

// Documents as browsers and office suites put them on the clipboard, read to the text a user expects, with links
// on the right ranges.
TEST(HtmlReaderTest, BrowserDocuments) {
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

TEST(HtmlReaderTest, OfficeSuiteDocuments) {
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

}  // namespace
}  // namespace platform
