#include "kit/foundation/attributed_text.h"

#include <gtest/gtest.h>

#include "kit/foundation/general_error.h"

namespace kit {
namespace {

using platform::AttributedString;
using platform::TextAttributes;
using platform::Url;

TEST(AttributedTextTest, HtmlExportKeepsLinksAndLeavesOutFontsAndExcludedElements) {
  AttributedString text("Read ");
  text.append("this", TextAttributes{Url::parse("https://a.example/?x=1&y=2"), std::nullopt});
  EXPECT_EQ(htmlString(text, {"div", "span", "p"}),
            "<html><head><meta charset=\"utf-8\"></head><body>Read "
            "<a href=\"https://a.example/?x=1&amp;y=2\">this</a></body></html>");
  EXPECT_TRUE(containsLink(text));
  EXPECT_FALSE(containsFontAttribute(text));
  EXPECT_FALSE(containsLink(AttributedString("plain")));
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
