#include "kit/foundation/json_coding.h"

#include <gtest/gtest.h>

#include "json_test_support.h"
#include "kit/foundation/durations.h"

namespace {

using kit::Json;

TEST(JsonText, WritesWholeFloatsPlainlyAndEscapesSlashes) {
  EXPECT_EQ(kit::jsonText(kit::encodeJson(kit::ZvDuration(3))), "3");
  EXPECT_EQ(kit::jsonText(kit::encodeJson(kit::ZvDuration(1.5))), "1.5");
  EXPECT_EQ(kit::jsonText(Json::object({{"url", "https://a/b"}, {"n", 2.0}})), R"({"url":"https:\/\/a\/b","n":2})");
  EXPECT_EQ(kit::decodedJson<int>("{"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<int>("\"x\""), std::nullopt);
  EXPECT_EQ(kit::decodedJson<int>("4"), 4);
}

TEST(JsonDecoding, NumbersAreNeitherTruncatedNorTakenFromOtherKinds) {
  EXPECT_EQ(kit::decodedJson<int>("4.0"), 4);
  EXPECT_EQ(kit::decodedJson<int>("4.5"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<int>("true"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<int>("2147483648"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<int>("-2147483648"), std::numeric_limits<int>::min());
  EXPECT_EQ(kit::decodedJson<uint8_t>("-1"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<uint8_t>("255"), 255);
  EXPECT_EQ(kit::decodedJson<int64_t>("9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(kit::decodedJson<int64_t>("9223372036854775808"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<int64_t>("9.3e18"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<double>("1"), 1.0);
  EXPECT_EQ(kit::decodedJson<double>("\"1\""), std::nullopt);
  EXPECT_EQ(kit::decodedJson<bool>("1"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<std::string>("1"), std::nullopt);
}

}  // namespace
