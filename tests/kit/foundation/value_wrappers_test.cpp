#include "kit/foundation/value_wrappers.h"

#include <gtest/gtest.h>

#include <unordered_set>

#include "json_test_support.h"
#include "kit/foundation/empty_initializable.h"
#include "kit/foundation/tuples.h"
#include "kit/foundation/value_boxes.h"

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

struct Account {
  std::string number;
  const std::string& id() const { return number; }
  friend bool operator==(const Account&, const Account&) = default;
};
struct NoAccount {
  using Value = Account;
  static Account defaultValue() { return {"none"}; }
};

static_assert(kit::DecodableDefaultSource<Zero> && !kit::DecodableDefaultSource<Account>);
static_assert(kit::Identifiable<kit::Identified<int, std::vector<int>>>);
static_assert(kit::Identifiable<kit::DecodableDefault<NoAccount>> && !kit::Identifiable<kit::DecodableDefault<Zero>>);

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
  EXPECT_EQ(roundTrip(std::vector{identified}), std::vector{identified});

  // Their keys are required also for an optional value.
  using MaybeIdentified = kit::Identified<int, std::optional<int>>;
  EXPECT_EQ(decodingFailure<MaybeIdentified>(R"({"id":1})").kind(), DecodingError::Kind::keyNotFound);
  EXPECT_EQ(decodingFailure<kit::IgnoreEquatable<std::optional<int>>>("{}").kind(), DecodingError::Kind::keyNotFound);
}

TEST(ValueWrappers, IdentifiedValuesAreIdentifiableByTheirId) {
  kit::Identified<std::string, Account> wrapped(Account{"A-7"}, &Account::number);
  EXPECT_EQ(wrapped.id(), "A-7");
  wrapped.value.number = "B-1";
  EXPECT_EQ(wrapped.id(), "A-7") << "the id is fixed when the value is wrapped";
  kit::Identified<int, std::string> measured(std::string("four"), [](const std::string& s) { return int(s.size()); });
  EXPECT_EQ(measured.id(), 4);
  EXPECT_EQ(kit::Box(measured).id(), kit::AnyHashable(4));

  kit::DecodableDefault<NoAccount> account;
  EXPECT_EQ(account.id(), "none");
  account.wrappedValue.number = "C-3";
  EXPECT_EQ(account.id(), "C-3");
}

TEST(ValueWrappers, EmptyValues) {
  EXPECT_EQ(kit::emptyValue<int8_t>(), 0);
  EXPECT_EQ(kit::emptyValue<std::string>(), "");
  EXPECT_TRUE((kit::emptyValue<std::unordered_set<int>>().empty()));
  const platform::Url dot = kit::emptyValue<platform::Url>();
  EXPECT_EQ(dot.absoluteString(), ".");
  EXPECT_EQ(dot.path(), ".");
  static_assert(kit::EmptyInitializable<platform::Url> && !kit::EmptyInitializable<int&>);
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
  const kit::AnyEquatable character = 'x';
  EXPECT_EQ(character, kit::AnyEquatable("x"));
  EXPECT_NE(character, kit::AnyEquatable('x' + 0)) << "a character is no number";

  // Every literal kind of a text, an integer or a floating-point number is the one kind of its sort.
  for (const kit::AnyEquatable& text : {kit::AnyEquatable(u8"é"), kit::AnyEquatable(u"é"), kit::AnyEquatable(U"é"),
                                        kit::AnyEquatable(L"é"), kit::AnyEquatable(U'é'), kit::AnyEquatable(L'é')})
    EXPECT_EQ(text, kit::AnyEquatable("é"));
  for (const kit::AnyEquatable& number :
       {kit::AnyEquatable(5L), kit::AnyEquatable(5LL), kit::AnyEquatable(5U), kit::AnyEquatable(5ULL)})
    EXPECT_EQ(number, kit::AnyEquatable(5));
  EXPECT_EQ(kit::AnyEquatable(0.1f), kit::AnyEquatable(0.1));
  EXPECT_EQ(kit::AnyEquatable(5.0L), kit::AnyEquatable(5.0));
  EXPECT_NE(kit::AnyEquatable(18446744073709551615ULL), kit::AnyEquatable(-1)) << "no wrapping";
  static_assert(!std::is_constructible_v<kit::AnyEquatable, const int*>);

  kit::AggregateHashable a({kit::AnyHashable(1), kit::AnyHashable(std::string("x"))});
  kit::AggregateHashable b({kit::AnyHashable(1), kit::AnyHashable(std::string("x"))});
  kit::AggregateHashable c({kit::AnyHashable(std::string("x")), kit::AnyHashable(1)});
  EXPECT_EQ(a, b);
  EXPECT_EQ(std::hash<kit::AggregateHashable>()(a), std::hash<kit::AggregateHashable>()(b));
  EXPECT_NE(a, c);
}

}  // namespace
