#include "kit/foundation/attributed_text.h"

#include <gtest/gtest.h>

#include "kit/foundation/general_error.h"
#include "platform/text/fonts.h"
#include "support/rich_text.h"

// Font discovery keeps its caches for the life of the process.
extern "C" const char* __lsan_default_options() { return "suppressions=" QUILLET_TEST_DATA "/fontconfig_leaks.supp"; }

namespace kit {
namespace {

using platform::AttributedString;
using platform::TextAttributes;
using platform::Url;
using richtext_test::linkTo;

TEST(AttributedTextTest, HtmlExportKeepsLinksAndLeavesOutFontsAndExcludedElements) {
  AttributedString text("Read ");
  text.append("this", linkTo("https://a.example/?x=1&y=2"));
  EXPECT_EQ(htmlString(text, {"div", "span", "p"}),
            "<html><head><meta charset=\"utf-8\"></head><body>Read "
            "<a href=\"https://a.example/?x=1&amp;y=2\">this</a></body></html>");
  EXPECT_TRUE(containsLink(text));
  EXPECT_FALSE(containsFontAttribute(text));
  EXPECT_FALSE(containsLink(AttributedString("plain")));
}

TEST(AttributedTextTest, HtmlExportWritesTheCallersDocumentMetadata) {
  std::string html = htmlString(AttributedString("x"), {}, {{"author", "Ann \"A\" <ann@example.org>"}});
  EXPECT_NE(html.find("<meta name=\"author\" content=\"Ann &quot;A&quot; &lt;ann@example.org&gt;\">"),
            std::string::npos)
      << html;
  EXPECT_EQ(htmlString(AttributedString("x"), {"meta"}, {{"author", "Ann"}}).find("Ann"), std::string::npos);
}

TEST(AttributedTextTest, FontHelpersWorkOnTheWholeTextAndKeepOtherAttributes) {
  const platform::FontSpec serif{"DejaVu Serif", 14, 700};
  AttributedString text("plain ");
  text.append("link", linkTo("https://a.example/"));

  EXPECT_FALSE(uniformAttribute(AttributedString(), &TextAttributes::font));
  EXPECT_FALSE(uniformAttribute(text, &TextAttributes::link)) << "the link covers only part of the text";
  EXPECT_EQ(font(text), platform::systemFont(platform::systemFontSize()));

  AttributedString styled = withFont(text, serif);
  EXPECT_FALSE(containsFontAttribute(text)) << "the original stays as it was";
  EXPECT_EQ(font(styled), serif);
  EXPECT_EQ(styled.attributesAt(7).link, Url::parse("https://a.example/"));

  AttributedString half("bold");
  half.append(" regular", TextAttributes{std::nullopt, platform::FontSpec{"DejaVu Sans", 12, 400}});
  half.setAttributes({0, 4}, TextAttributes{std::nullopt, platform::FontSpec{"DejaVu Sans", 12, 700}});
  EXPECT_EQ(font(half).weight, 400) << "a text of two fonts has the system font";
  EXPECT_EQ(font(half).family, platform::systemFont(1).family);

  AttributedString mixed("none");
  mixed.append(" named", TextAttributes{std::nullopt, serif});
  setFontSize(mixed, 20);
  EXPECT_EQ(mixed.attributesAt(0).font, platform::systemFont(20));
  EXPECT_EQ(mixed.attributesAt(5).font, (platform::FontSpec{"DejaVu Serif", 20, 700}));
}

TEST(AttributedTextTest, WeightsChangeOnlyForInstalledFamiliesAndTheHeadlineFontIsAlwaysBold) {
  const platform::FontSpec sans = platform::systemFont(12);
  ASSERT_TRUE(platform::isFontInstalled(sans.family));
  EXPECT_EQ(withWeight(sans, 700).weight, 700);
  const platform::FontSpec missing{"No Such Family Anywhere", 12, 400};
  EXPECT_FALSE(platform::isFontInstalled(missing.family));
  EXPECT_EQ(withWeight(missing, 700), missing);

  const platform::FontSpec& headline = headlineBoldFont();
  EXPECT_EQ(headline.weight, 700);
  EXPECT_TRUE(platform::isFontInstalled(headline.family));
}

TEST(AttributedTextTest, HtmlExportOfTextThatIsNotUtf8FailsInsteadOfGivingNothing) {
  try {
    htmlString(AttributedString("broken \xC3"));
    FAIL() << "no error";
  } catch (const GeneralError& error) {
    EXPECT_EQ(error.localizedDescription(), "Invalid string.");
    EXPECT_FALSE(error.recoverySuggestion());
  }
}

}  // namespace
}  // namespace kit
