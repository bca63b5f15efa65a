#include "kit/ui/link_button.h"

#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "kit/ui/url_opening.h"
#include "support/title_shown.h"

namespace kit {
namespace {

TEST(LinkButtonTest, ShowsItsTitleAsWrittenAndOpensItsAddressWhenPressed) {
  std::vector<std::string> opened;
  setUrlOpenerForTesting([&](const platform::Url& url) {
    opened.push_back(url.absoluteString());
    return false;  // nothing could open it: nothing is said
  });
  LinkButton button("Q&A", *platform::Url::parse("https://example.com/q-and-a"));
  EXPECT_EQ(titleShown(button), "Q&A");
  EXPECT_FALSE(hasMnemonic(button)) << "Alt+A presses nothing";

  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(opened, std::vector<std::string>{"https://example.com/q-and-a"});
  setUrlOpenerForTesting({});
}

}  // namespace
}  // namespace kit
