#include "kit/foundation/ordered_collections.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <ranges>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "kit/foundation/any_value.h"
#include "kit/foundation/atomic_collections.h"

namespace {

using kit::OrderedDictionary;
using kit::OrderedSet;

using Scores = OrderedDictionary<std::string, double>;
static_assert(std::ranges::random_access_range<Scores> && std::ranges::sized_range<Scores>);
// Writing through the key subscript of a const dictionary would store nothing: it does not compile.
static_assert(!std::is_assignable_v<decltype(std::declval<const Scores&>()["a"]), double>);
static_assert(
    !std::is_assignable_v<decltype(std::declval<const kit::AtomicDictionary<std::string, int>&>()["a"]), int>);
static_assert(kit::HashableKeyValueCollection<Scores>);
static_assert(kit::HashableKeyValueCollection<std::unordered_map<std::string, int>>);
static_assert(kit::KeyValueCollection<std::vector<std::pair<std::string, int>>>);
static_assert(kit::HashableKeyValueSequence<kit::AtomicDictionary<std::string, int>>);
static_assert(!kit::KeyValueSequence<std::vector<int>>);
static_assert(std::same_as<kit::KeyValueKey<Scores>, std::string> && std::same_as<kit::KeyValueValue<Scores>, double>);
struct Unhashable {
  bool operator==(const Unhashable&) const = default;
};
static_assert(!kit::HashableKeyValueSequence<std::vector<std::pair<Unhashable, int>>>);

std::vector<std::string> keysOf(const OrderedDictionary<std::string, int>& dictionary) { return dictionary.keys(); }

TEST(OrderedDictionary, KeepsFirstStoredOrderUnderUpdateAndMovesReinsertedKeysToTheEnd) {
  OrderedDictionary<std::string, int> dictionary;
  dictionary.set("a", 1);
  dictionary.set("b", 2);
  dictionary.set("c", 3);
  dictionary.set("a", 10);
  EXPECT_EQ(keysOf(dictionary), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(dictionary["a"], 10);

  dictionary.set("b", std::nullopt);
  EXPECT_EQ(dictionary["b"], std::nullopt);
  dictionary.set("b", 20);
  EXPECT_EQ(keysOf(dictionary), (std::vector<std::string>{"a", "c", "b"}));

  dictionary.set("missing", std::nullopt);
  EXPECT_EQ(dictionary.size(), 3u);

  std::vector<std::pair<std::string, int>> walked;
  for (const auto& [key, value] : dictionary) walked.emplace_back(key, value);
  EXPECT_EQ(walked, (std::vector<std::pair<std::string, int>>{{"a", 10}, {"c", 3}, {"b", 20}}));
}

TEST(OrderedDictionary, KeySubscriptStoresReplacesAndRemovesThroughAssignment) {
  Scores scores;
  scores["a"] = 1.0;
  scores["b"] = 2.0;
  scores["c"] = 3.0;
  scores["a"] = 10.0;
  EXPECT_EQ(scores.keys(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(scores["a"], 10.0);
  scores["b"] = std::nullopt;
  EXPECT_FALSE(scores.contains("b"));
  scores["b"] = scores["a"];
  EXPECT_EQ(scores.keys(), (std::vector<std::string>{"a", "c", "b"}));

  // Reading a missing key gives none and stores nothing.
  EXPECT_EQ(scores["missing"], std::nullopt);
  EXPECT_EQ(scores.size(), 3u);
  const Scores& constant = scores;
  EXPECT_EQ(constant["c"], 3.0);
  EXPECT_EQ(constant["missing"], std::nullopt);
}

TEST(OrderedDictionary, PositionsAreRandomAccess) {
  Scores scores{{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}};
  EXPECT_EQ((*std::next(scores.begin(), 2)).first, "c");
  EXPECT_EQ((*std::prev(scores.end())).first, "d");
  EXPECT_EQ(scores.begin()[1].second, 2);
  EXPECT_EQ(scores.end() - scores.begin(), 4);
  std::vector<std::string> backwards;
  for (const auto& [key, value] : scores | std::views::reverse) backwards.push_back(key);
  EXPECT_EQ(backwards, (std::vector<std::string>{"d", "c", "b", "a"}));

  const Scores middle = scores.slice(1, 3);
  EXPECT_EQ(middle.keys(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(middle.at(0).second, 2) << "a slice counts its positions from 0 again";
  EXPECT_DEATH(scores.slice(3, 5), "out of bounds");
}

TEST(OrderedDictionary, KeyValueLinesTakesEveryKeyValueSequence) {
  EXPECT_EQ(kit::keyValueLines(std::vector<std::pair<std::string, std::string>>{{"b", "2"}, {"a", "1"}}), "b: 2\na: 1");
  kit::AtomicDictionary<std::string, std::string> atomic;
  atomic.set("Model", "x86_64");
  EXPECT_EQ(kit::keyValueLines(atomic), "Model: x86_64");
}

TEST(OrderedDictionary, PairsKeepFirstPlaceAndLastValueWhileLiteralsRejectRepeats) {
  auto built = OrderedDictionary<std::string, int>::fromPairs({{"a", 1}, {"b", 2}, {"a", 3}});
  EXPECT_EQ(keysOf(built), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(built["a"], 3);
  EXPECT_DEATH((OrderedDictionary<std::string, int>{{"a", 1}, {"a", 2}}), "duplicate keys");
  EXPECT_DEATH(built.at(2), "Index out of range");
}

TEST(OrderedDictionary, OrderTakesPartInEqualityAndHashing) {
  OrderedDictionary<std::string, int> ab{{"a", 1}, {"b", 2}}, ba{{"b", 2}, {"a", 1}};
  EXPECT_NE(ab, ba);
  std::hash<OrderedDictionary<std::string, int>> hash;
  EXPECT_NE(hash(ab), hash(ba));
  EXPECT_EQ(ab, (OrderedDictionary<std::string, int>{{"a", 1}, {"b", 2}}));
}

TEST(OrderedSet, KeepsFirstArrivalOrder) {
  OrderedSet<int> set{3, 1, 3, 2};
  EXPECT_EQ(set.elements(), (std::vector<int>{3, 1, 2}));
  EXPECT_FALSE(set.insert(1));
  EXPECT_EQ(set.elements(), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(set.remove(7), std::nullopt);
  EXPECT_EQ(set.remove(1), 1);
  EXPECT_FALSE(set.contains(1));
  EXPECT_TRUE(set.insert(1));
  EXPECT_EQ(set.elements(), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(set.removeFirst(), 3);
  EXPECT_EQ(set.removeLast(), 1);
  EXPECT_EQ(set.elements(), (std::vector<int>{2}));
  EXPECT_FALSE(set.contains(3));

  EXPECT_NE((OrderedSet<int>{1, 2}), (OrderedSet<int>{2, 1}));
  for (bool keepingCapacity : {true, false}) {
    OrderedSet<int> emptied{4, 5};
    emptied.removeAll(keepingCapacity);
    EXPECT_TRUE(emptied.empty());
    EXPECT_FALSE(emptied.contains(4));
    EXPECT_TRUE(emptied.insert(5)) << "a removed member is new again";
  }
  OrderedSet<int> empty;
  EXPECT_DEATH(empty.removeFirst(), "empty collection");
  EXPECT_DEATH(empty.removeLast(), "empty collection");
}

TEST(OrderedDictionary, DescriptionQuotesWhatCanBeTakenAsTextAndLinesDoNot) {
  EXPECT_EQ(description(OrderedDictionary<std::string, int>()), "[:]");
  OrderedDictionary<std::string, std::variant<int, std::string>> mixed{{"a", 1}, {"b", std::string("x")}};
  EXPECT_EQ(description(mixed), "[\"a\": 1, \"b\": \"x\"]");
  OrderedDictionary<std::string, kit::AnyValue> any{{"a", 1}, {"b", "x"}};
  EXPECT_EQ(description(any), "[\"a\": 1, \"b\": \"x\"]");
  EXPECT_EQ(description(OrderedDictionary<int, double>{{1, 1234567.0}, {2, 0.5}}), "[1: 1234567.0, 2: 0.5]");
  EXPECT_EQ(description(OrderedDictionary<std::string, std::string>{{"q", "say \"hi\""}}), "[\"q\": \"say \"hi\"\"]")
      << "inner quotes are not escaped";

  EXPECT_EQ(kit::keyValueLines(OrderedDictionary<std::string, std::string>{{"OS", "14.0"}, {"Locale", "en"}}),
            "OS: 14.0\nLocale: en");
  EXPECT_EQ(kit::keyValueLines(any), "a: 1\nb: x");
  EXPECT_EQ(kit::keyValueLines(OrderedDictionary<std::string, kit::AnyValue>{
                {"flag", true}, {"byte", uint8_t{65}}, {"none", std::optional<int>()}, {"list", std::vector<int>{1}}}),
            "flag: true\nbyte: 65\nnone: nil\nlist: [1]");
  EXPECT_EQ(kit::keyValueLines(std::map<std::string, double>{{"scale", 2.0}}), "scale: 2.0");
  EXPECT_EQ(kit::keyValueLines(OrderedDictionary<std::string, int>()), "");
}

}  // namespace
