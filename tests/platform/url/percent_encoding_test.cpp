#include "platform/url/percent_encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(PercentEncoding, EncodesPerUtf8ByteAndRefusesBadEscapesOrInvalidUtf8) {
  EXPECT_EQ(platform::addingPercentEncoding("a é/\xff", platform::isUnreserved), "a%20%C3%A9%2F%FF");
  EXPECT_EQ(platform::removingPercentEncoding("a%20%C3%A9"), "a é");
  EXPECT_EQ(platform::removingPercentEncoding("%FF"), std::nullopt);
  EXPECT_EQ(platform::removingPercentEncoding("%C0%AF"), std::nullopt);     // an overlong "/"
  EXPECT_EQ(platform::removingPercentEncoding("%ED%A0%80"), std::nullopt);  // an encoded surrogate
  EXPECT_EQ(platform::removingPercentEncoding("%2"), std::nullopt);
  EXPECT_EQ(platform::removingPercentEncoding("100%"), std::nullopt);
}

}  // namespace
