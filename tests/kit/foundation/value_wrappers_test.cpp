#include "kit/foundation/value_wrappers.h"

#include <gtest/gtest.h>

#include <unordered_set>

#include "json_test_support.h"
#include "kit/foundation/tuples.h"

namespace {

using kit::DecodingError;
using kit::Json;
using kit::Tuple2;

struct Record {
  int kept;
  kit::IgnoreHashable<int> ignored;
  friend bool operator==(const Record&, const Record&) = default;
};

struct Zero {
  using Value = int;
  static int defaultValue() { return 42; }
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
  // A member that is never coded leaves no key behind, not a null.
  EXPECT_EQ(kit::jsonText(kit::encodeJson(Tuple2<int, kit::IgnoreCodable<int>>{1, std::optional<int>(5)})),
            R"({"first":1})");

  kit::Identified<std::string, int> identified("a", 1);
  EXPECT_EQ(kit::jsonText(kit::encodeJson(identified)), R"({"id":"a","value":1})");
  EXPECT_EQ(roundTrip(identified), identified);
}

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
