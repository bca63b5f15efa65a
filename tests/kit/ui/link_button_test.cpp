#include "kit/ui/link_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/ui/url_opening.h"

namespace kit {
namespace {

TEST(LinkButtonTest, OpensItsAddressWhenClicked) {
  std::vector<std::string> opened;
  setUrlOpenerForTesting([&](const platform::Url& url) {
    opened.push_back(url.absoluteString());
    return false;  // nothing could open it: no message either
  });
  LinkButton link("Learn More", *platform::Url::parse("https://example.com/quillet#word-bug"));
  EXPECT_EQ(link.text(), "Learn More");
  link.click();
  EXPECT_EQ(opened, std::vector<std::string>{"https://example.com/quillet#word-bug"});
  setUrlOpenerForTesting(nullptr);
}

}  // namespace
}  // namespace kit
