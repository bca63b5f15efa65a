#include "kit/foundation/tuples.h"

#include <gtest/gtest.h>

#include "json_test_support.h"

namespace {

using kit::DecodingError;
using kit::Either;
using kit::Json;
using kit::Tuple2;

TEST(Tuples, CodeAsKeyedObjectsAndRequireEveryKey) {
  Tuple2<int, std::string> pair{1, "a"};
  EXPECT_EQ(kit::jsonText(kit::encodeJson(pair)), R"({"first":1,"second":"a"})");
  EXPECT_EQ(roundTrip(pair), pair);

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

  // An optional member is required too, and decodes null as none; inside containers as well.
  using Optional = Tuple2<int, std::optional<int>>;
  EXPECT_EQ(decodingFailure<Optional>(R"({"first":1})").kind(), DecodingError::Kind::keyNotFound);
  EXPECT_EQ(roundTrip(Optional{1, std::nullopt}), (Optional{1, std::nullopt}));
  using OptionalLeft = Either<std::optional<int>, int>;
  EXPECT_EQ(decodingFailure<OptionalLeft>(R"({"left":{}})").kind(), DecodingError::Kind::keyNotFound);
  const std::vector<Either<Pair, std::string>> list{Either<Pair, std::string>::left({1, 2})};
  EXPECT_EQ(roundTrip(list), list);
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

TEST(Either, EveryLeftOrdersBeforeEveryRightAndTheCaseTakesPartInHashing) {
  using Number = Either<int, int>;
  EXPECT_TRUE(Number::left(9) < Number::right(0));
  EXPECT_FALSE(Number::right(0) < Number::left(9));
  EXPECT_FALSE(Number::left(2) < Number::left(2));
  EXPECT_TRUE(Number::left(1) < Number::left(2));
  EXPECT_TRUE(Number::right(3) > Number::right(-1));
  EXPECT_TRUE(Number::left(2) <= Number::left(2) && Number::left(2) >= Number::left(2));
  EXPECT_NE(Number::left(1), Number::right(1));
  EXPECT_NE(std::hash<Number>()(Number::left(1)), std::hash<Number>()(Number::right(1)));

  // Members are hashed in order: swapping them gives another hash.
  std::hash<Tuple2<int, int>> hash;
  EXPECT_NE(hash({1, 2}), hash({2, 1}));
  EXPECT_EQ(hash({1, 2}), hash({1, 2}));
}

}  // namespace
