#include "kit/foundation/json_coding.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "json_test_support.h"
#include "kit/foundation/durations.h"

namespace {

using kit::DecodingError;
using kit::Json;

struct Fingerprint {
  using RawValue = std::vector<uint8_t>;
  static constexpr bool codesAsSingleValue = true;
  explicit Fingerprint(RawValue bytes) : bytes(std::move(bytes)) {}
  const RawValue& rawValue() const { return bytes; }
  RawValue bytes;
  bool operator==(const Fingerprint&) const = default;
};

struct Label {
  using RawValue = std::string;
  static constexpr bool codesAsSingleValue = true;
  explicit Label(RawValue text) : text(std::move(text)) {}
  const RawValue& rawValue() const { return text; }
  RawValue text;
  bool operator==(const Label&) const = default;
};

TEST(JsonDecoding, SingleValueTypesCodeAsTheirBareRawValueWithBytesAsBase64) {
  EXPECT_EQ(kit::jsonText(kit::encodeJson(Fingerprint({0, 255, 'a'}))), R"("AP9h")");
  EXPECT_EQ(roundTrip(Fingerprint({0, 255, 'a'})), Fingerprint({0, 255, 'a'}));
  EXPECT_EQ(kit::jsonText(kit::encodeJson(Label("x"))), R"("x")");
  EXPECT_EQ(roundTrip(Label("x")), Label("x"));
  EXPECT_EQ(decodingFailure<Fingerprint>(R"("not base64!")").kind(), DecodingError::Kind::dataCorrupted);
  EXPECT_EQ(decodingFailure<Fingerprint>("3").kind(), DecodingError::Kind::typeMismatch);
  EXPECT_EQ(decodingFailure<Label>(R"({"text":"x"})").kind(), DecodingError::Kind::typeMismatch);
}

TEST(JsonText, WritesWholeFloatsPlainlyAndEscapesSlashes) {
  EXPECT_EQ(kit::jsonText(kit::encodeJson(kit::ZvDuration(3))), "3");
  EXPECT_EQ(kit::jsonText(kit::encodeJson(kit::ZvDuration(1.5))), "1.5");
  EXPECT_EQ(kit::jsonText(kit::encodeJson(std::vector<float>{0.1f, -2.5f})), "[0.1,-2.5]");
  EXPECT_EQ(kit::jsonText(kit::encodeJson(-0.0)), "-0.0");
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

TEST(JsonDecoding, ContainersDecodeEachElementAsItsOwnTypeDecodes) {
  EXPECT_EQ(kit::decodedJson<std::vector<int>>("[2.0,3]"), (std::vector<int>{2, 3}));
  EXPECT_EQ(kit::decodedJson<std::vector<int>>("[2.9]"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<std::vector<int>>("[true]"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<std::vector<int64_t>>("[18446744073709551615]"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<std::vector<uint8_t>>("[300]"), std::nullopt);
  EXPECT_EQ(kit::decodedJson<std::set<int>>("[2,1,2]"), (std::set<int>{1, 2}));
  EXPECT_EQ((kit::decodedJson<std::map<std::string, std::vector<Label>>>(R"({"a":["x"]})")),
            (std::map<std::string, std::vector<Label>>{{"a", {Label("x")}}}));
  const std::map<int, std::string> byNumber{{1, "a"}, {2, "b"}};
  EXPECT_EQ(roundTrip(byNumber), byNumber);
  const auto failure = decodingFailure<std::map<std::string, std::vector<int>>>(R"({"a":[1,0.5]})");
  EXPECT_EQ(failure.kind(), DecodingError::Kind::typeMismatch);
  EXPECT_EQ(failure.codingPath(), (kit::CodingPath{"a", "Index 1"}));
}

}  // namespace
