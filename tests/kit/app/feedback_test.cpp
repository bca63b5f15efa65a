#include "kit/app/feedback.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kit/foundation/url_query.h"
#include "kit_widgets_test_support.h"

namespace kit {
namespace {

using FeedbackTest = KitWidgetsTest;

TEST_F(FeedbackTest, FeedbackCarriesOnlyProductAndMetadataUnlessGivenMore) {
  openFeedbackPage();
  ASSERT_EQ(opened.size(), 1u);
  const auto url = *platform::Url::parse(opened.front());
  std::set<std::string> names;
  for (const auto& item : queryItems(url)) names.insert(item.name);
  EXPECT_EQ(names, (std::set<std::string>{"metadata", "product"}));
  EXPECT_EQ(queryItemValue(url, "product"), "Quillet");
  EXPECT_NE(queryItemValue(url, "metadata").value_or("").find("Bundle Identifier"), std::string::npos);

  const auto withMessage = feedbackPageUrl("a & b = c", "");
  EXPECT_EQ(queryItemValue(withMessage, "messageField"), "a & b = c");
  EXPECT_EQ(queryItemValue(withMessage, "extraInfo"), "");
  EXPECT_EQ(withMessage.absoluteString().rfind("https://kestrova.com/feedback?", 0), 0u);
}

}  // namespace
}  // namespace kit
