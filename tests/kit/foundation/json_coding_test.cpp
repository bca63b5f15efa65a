#include "kit/foundation/json_coding.h"

#include <gtest/gtest.h>

#include <unordered_set>

#include "kit/foundation/durations.h"
#include "kit/foundation/tuples.h"
#include "kit/foundation/value_wrappers.h"

namespace {

using kit::DecodingError;
using kit::Either;
using kit::Json;
using kit::Tuple2;

template <class T>
T roundTrip(const T& value) {
  return kit::decodeJson<T>(Json::parse(kit::jsonText(kit::encodeJson(value))));
}

template <class T>
DecodingError decodingFailure(std::string_view text) {
  try {
    kit::decodeJson<T>(Json::parse(text));
  } catch (const DecodingError& error) {
    return error;
  }
  ADD_FAILURE() << "decoded " << text;
  return DecodingError(DecodingError::Kind::dataCorrupted, {}, "");
}

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

TEST(Tuples, CodeAsKeyedObjectsAndRequireEveryKey) {
  Tuple2<int, std::string> pair{1, "a"};
  EXPECT_EQ(kit::jsonText(kit::encodeJson(pair)), R"({"first":1,"second":"a"})");
  EXPECT_EQ(roundTrip(pair), pair);
  kit::Tuple4<int, bool, std::string, double> four{1, true, "x", 2.5};
  EXPECT_EQ(roundTrip(four), four);

  EXPECT_EQ((kit::decodeJson<Tuple2<int, int>>(Json::parse(R"({"first":1,"second":2,"extra":3})"))),
            (Tuple2<int, int>{1, 2}));
  auto missing = decodingFailure<Tuple2<int, int>>(R"({"first":1})");
  EXPECT_EQ(missing.kind(), DecodingError::Kind::keyNotFound);
  EXPECT_EQ(missing.subject(), "second");
  auto wrongKind = decodingFailure<Tuple2<int, int>>(R"({"first":"1","second":2})");
  EXPECT_EQ(wrongKind.kind(), DecodingError::Kind::typeMismatch);
  EXPECT_EQ(wrongKind.codingPath(), (kit::CodingPath{"first"}));
  using Pair = Tuple2<int, int>;
  EXPECT_EQ(decodingFailure<Pair>("[1,2]").kind(), DecodingError::Kind::typeMismatch);
  EXPECT_EQ(decodingFailure<Pair>(R"({"first":null,"second":2})").kind(), DecodingError::Kind::valueNotFound);

  std::hash<Pair> hash;
  EXPECT_NE(hash({1, 2}), hash({2, 1}));
}

TEST(Either, CodesTheCaseAsAKeyHoldingAnObject) {
  using Value = Either<int, std::string>;
  EXPECT_EQ(kit::jsonText(kit::encodeJson(Value::left(5))), R"({"left":{"_0":5}})");
  EXPECT_EQ(kit::jsonText(kit::encodeJson(Value::right("x"))), R"({"right":{"_0":"x"}})");
  EXPECT_EQ(roundTrip(Value::right("x")), Value::right("x"));
  EXPECT_EQ((kit::decodeJson<Value>(Json::parse(R"({"left":{"_0":1},"extra":true})"))), Value::left(1));

  for (auto text : {"{}", R"({"left":{"_0":1},"right":{"_0":"2"}})"}) {
    auto error = decodingFailure<Value>(text);
    EXPECT_EQ(error.kind(), DecodingError::Kind::typeMismatch) << text;
    EXPECT_EQ(error.debugDescription(), "Invalid number of keys found, expected one.");
    EXPECT_EQ(error.subject(), "Either");
  }
  EXPECT_EQ(decodingFailure<Value>(R"({"left":{}})").kind(), DecodingError::Kind::keyNotFound);
  EXPECT_EQ(decodingFailure<Value>(R"({"left":1})").kind(), DecodingError::Kind::typeMismatch);
  EXPECT_EQ(decodingFailure<Value>(R"({"right":{"_0":3}})").codingPath(), (kit::CodingPath{"right", "_0"}));
}

TEST(Either, OrdersLeftBeforeRightAndHashesTheCase) {
  using Value = Either<int, int>;
  EXPECT_TRUE(Value::left(9) < Value::right(0));
  EXPECT_FALSE(Value::right(0) < Value::left(9));
  EXPECT_FALSE(Value::left(2) < Value::left(2));
  EXPECT_TRUE(Value::left(1) < Value::left(2));
  EXPECT_TRUE(Value::left(2) <= Value::left(2));
  EXPECT_NE(Value::left(1), Value::right(1));
  EXPECT_NE(std::hash<Value>()(Value::left(1)), std::hash<Value>()(Value::right(1)));
}

struct Record {
  int kept;
  kit::IgnoreHashable<int> ignored;
  friend bool operator==(const Record&, const Record&) = default;
};

TEST(ValueWrappers, IgnoredMembersNeitherCompareNorHash) {
  EXPECT_EQ(kit::IgnoreEquatable<int>(1), kit::IgnoreEquatable<int>(2));
  EXPECT_EQ(std::hash<kit::IgnoreEquatable<int>>()(1), std::hash<kit::IgnoreEquatable<int>>()(2));
  auto recordHash = [](const Record& r) {
    size_t seed = std::hash<int>()(r.kept);
    kit::hashCombine(seed, std::hash<kit::IgnoreHashable<int>>()(r.ignored));
    return seed;
  };
  std::unordered_set<Record, decltype(recordHash)> set({Record{1, 5}, Record{1, 6}}, 4, recordHash);
  EXPECT_EQ(set.size(), 1u);

  kit::IgnoreEquatableMutable<int> mutableOne(1);
  mutableOne.setWrappedValue(3);
  EXPECT_EQ(mutableOne.wrappedValue(), 3);
}

TEST(ValueWrappers, CodingOfWrappers) {
  EXPECT_EQ(kit::jsonText(kit::encodeJson(kit::IgnoreHashable<int>(7))), R"({"wrappedValue":7})");
  EXPECT_EQ(roundTrip(kit::IgnoreHashable<int>(7)).wrappedValue(), 7);
  EXPECT_EQ(decodingFailure<kit::IgnoreHashable<int>>("7").kind(), DecodingError::Kind::typeMismatch);

  for (auto text : {"{}", "3", "\"x\"", "null"}) {
    EXPECT_EQ(kit::decodeJson<kit::IgnoreCodable<int>>(Json::parse(text)).wrappedValue, std::nullopt);
  }
  EXPECT_EQ((kit::decodeJson<Tuple2<int, kit::IgnoreCodable<int>>>(Json::parse(R"({"first":1})")).second.wrappedValue),
            std::nullopt);
  EXPECT_NE(kit::IgnoreCodable<int>(1), kit::IgnoreCodable<int>());

  kit::Identified<std::string, int> identified("a", 1);
  EXPECT_EQ(kit::jsonText(kit::encodeJson(identified)), R"({"id":"a","value":1})");
  EXPECT_EQ(roundTrip(identified), identified);
  EXPECT_NE(identified, (kit::Identified<std::string, int>("a", 2)));
  EXPECT_NE(identified, (kit::Identified<std::string, int>("b", 1)));
}

struct Zero {
  using Value = int;
  static int defaultValue() { return 42; }
};

TEST(ValueWrappers, DecodableDefaultStartsFromItsSourceAndNeverHidesFailures) {
  EXPECT_EQ(kit::DecodableDefault<Zero>().wrappedValue, 42);
  EXPECT_EQ(kit::jsonText(kit::encodeJson(kit::DecodableDefault<Zero>{5})), "5");
  EXPECT_EQ(kit::decodeJson<kit::DecodableDefault<Zero>>(Json::parse("6")).wrappedValue, 6);
  EXPECT_EQ(decodingFailure<kit::DecodableDefault<Zero>>("\"six\"").kind(), DecodingError::Kind::typeMismatch);
}

TEST(ValueWrappers, AnyEquatableComparesTypeAndValue) {
  EXPECT_EQ(kit::AnyEquatable(5), kit::AnyEquatable(5));
  EXPECT_EQ(kit::AnyEquatable(5), kit::AnyEquatable(int64_t{5}));
  EXPECT_EQ(kit::AnyEquatable(true), kit::AnyEquatable(true));
  EXPECT_NE(kit::AnyEquatable(5), kit::AnyEquatable("5"));
  EXPECT_NE(kit::AnyEquatable(5), kit::AnyEquatable(5.0));
  EXPECT_EQ(kit::AnyEquatable("x"), kit::AnyEquatable(std::string("x")));

  kit::AggregateHashable a({kit::AnyHashable(1), kit::AnyHashable(std::string("x"))});
  kit::AggregateHashable b({kit::AnyHashable(1), kit::AnyHashable(std::string("x"))});
  kit::AggregateHashable c({kit::AnyHashable(std::string("x")), kit::AnyHashable(1)});
  EXPECT_EQ(a, b);
  EXPECT_EQ(std::hash<kit::AggregateHashable>()(a), std::hash<kit::AggregateHashable>()(b));
  EXPECT_NE(a, c);
}

}  // namespace
