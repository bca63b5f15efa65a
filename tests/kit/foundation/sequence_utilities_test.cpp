#include "kit/foundation/sequence_utilities.h"

#include <gtest/gtest.h>

#include <list>
#include <stdexcept>

#include "kit/foundation/collection_views.h"
#include "kit/foundation/foundation_helpers.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/text_helpers.h"

namespace {

TEST(SequenceUtilities, FlagSortPutsTrueFirstGoingForward) {
  std::vector<bool> flags{false, true, false};
  auto identity = [](bool flag) { return flag; };
  EXPECT_EQ(kit::sortedByFlag(flags, identity), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(kit::sortedByFlag(flags, identity, kit::SortOrder::reverse), (std::vector<bool>{false, false, true}));
  EXPECT_THROW(kit::sortedByFlag(std::vector<int>{1, 2}, [](int) -> bool { throw std::runtime_error("key"); }),
               std::runtime_error);
}

TEST(SequenceUtilities, FirstNonNilStopsAtTheFirstResult) {
  std::vector<int> seen;
  auto result = kit::firstNonNil(std::vector<int>{1, 2, 3}, [&](int value) -> std::optional<int> {
    seen.push_back(value);
    if (value == 1) return std::nullopt;
    return value * 2;
  });
  EXPECT_EQ(result, 4);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
  EXPECT_EQ(kit::firstNonNil(std::vector<int>{}, [](int v) -> std::optional<int> { return v; }), std::nullopt);
}

TEST(SequenceUtilities, OptionalDefaults) {
  EXPECT_TRUE(kit::isNilOrEmpty(std::optional<std::string>()));
  EXPECT_TRUE(kit::isNilOrEmpty(std::optional<std::string>("")));
  EXPECT_FALSE(kit::isNilOrEmpty(std::optional<std::vector<int>>(std::vector<int>{1})));
  EXPECT_FALSE(kit::orFalse(std::nullopt));
  EXPECT_EQ(kit::orZero(std::optional<double>()), 0.0);
  EXPECT_EQ(kit::orEmpty(std::nullopt), "");
  int calls = 0;
  EXPECT_EQ(kit::orElse(std::optional<int>(3), [&] { return ++calls; }), 3);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(kit::orElse(std::optional<int>(), [&] { return ++calls; }), 1);
  EXPECT_EQ(kit::nilIfZero(0), std::nullopt);
  EXPECT_EQ(kit::nilIfZero(-0.0), std::nullopt);
  EXPECT_EQ(kit::nilIfZero(3), 3);
  EXPECT_EQ(kit::describe(std::optional<int>(), "<nil>"), "<nil>");
  EXPECT_EQ(kit::describe(std::optional<int>(5)), "5");
  EXPECT_EQ(kit::describe(std::optional<std::string>()), "nil");
}

TEST(SequenceUtilities, NearlyEqualIsRelativeAndHandlesInfinityAndNan) {
  EXPECT_TRUE(kit::isNearlyEqual(1.0, 1.0 + 1e-9, 1e-6));
  EXPECT_FALSE(kit::isNearlyEqual(1.0, 1.1, 1e-6));
  EXPECT_TRUE(kit::isNearlyEqual(0.0, 1e-320, 0.5));
  EXPECT_FALSE(kit::isNearlyEqual<double>(NAN, NAN, 1.0));
  constexpr double inf = std::numeric_limits<double>::infinity(), max = std::numeric_limits<double>::max();
  EXPECT_TRUE(kit::isNearlyEqual(inf, inf, 1e-6));
  EXPECT_FALSE(kit::isNearlyEqual(inf, -inf, 1e-6));
  EXPECT_TRUE(kit::isNearlyEqual(inf, max, 1e-6));
  EXPECT_TRUE(kit::isNearlyEqual(max, inf, 1e-6));
  EXPECT_FALSE(kit::isNearlyEqual(inf, -max, 1e-6));
  EXPECT_FALSE(kit::isNearlyEqual(inf, 1.0, 1e-6));
  EXPECT_TRUE(kit::isNearlyZero(-1e-7, 1e-6));
  EXPECT_FALSE(kit::isNearlyZero(1e-6, 1e-6));
}

struct App {
  std::optional<std::string> bundleIdentifier;
};

TEST(SequenceUtilities, RunningAppTestMatchesExactIdsOnly) {
  std::vector<App> apps{{std::nullopt}, {"org.example.Bar"}};
  EXPECT_TRUE(kit::containsApp(apps, "org.example.Bar"));
  EXPECT_FALSE(kit::containsApp(apps, "org.example.bar"));
  EXPECT_FALSE(kit::containsApp(std::vector<App>{}, "x"));
}

TEST(SequenceUtilities, ExcludingPartitioningAndSortingByProjections) {
  EXPECT_EQ(kit::excluding(std::vector<int>{3, 1, 2}, std::vector<int>{}), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(kit::excluding(std::vector<int>{3, 1, 2, 1}, std::vector<int>{1}), (std::vector<int>{3, 2}));
  auto [odd, even] = kit::partitioned(std::vector<int>{1, 2, 3, 4}, [](int v) { return v % 2 == 0; });
  EXPECT_EQ(odd, (std::vector<int>{1, 3}));
  EXPECT_EQ(even, (std::vector<int>{2, 4}));

  struct Row {
    int group;
    std::string name;
    bool operator==(const Row&) const = default;
  };
  std::vector<Row> rows{{2, "b"}, {1, "z"}, {2, "a"}};
  EXPECT_EQ(kit::sortedBy(rows, &Row::group, kit::SortOrder::reverse).front().group, 2);
  auto byGroupThenName = kit::sortedBy<Row>(rows, {kit::comparing<Row>(&Row::group), kit::comparing<Row>(&Row::name)});
  EXPECT_EQ(byGroupThenName, (std::vector<Row>{{1, "z"}, {2, "a"}, {2, "b"}}));
}

enum class Color { red, green, blue };

TEST(CollectionViews, EnumCaseMapVisitsCasesInDeclarationOrder) {
  std::vector<Color> all{Color::red, Color::green, Color::blue};
  kit::EnumCaseMap<Color, int> map(all, {{Color::blue, 3}, {Color::red, 1}, {Color::green, 2}});
  ASSERT_EQ(map.size(), 3u);
  EXPECT_EQ(map.at(0).first, Color::red);
  EXPECT_EQ(map.at(2).second, 3);

  kit::EnumCaseMap<Color, int> withoutGreen(all, {{Color::blue, 3}, {Color::red, 1}, {Color::green, 2}},
                                            {Color::green});
  EXPECT_EQ(withoutGreen.size(), 2u);
  EXPECT_EQ(withoutGreen.at(1).first, Color::blue);
  EXPECT_EQ(withoutGreen.values().size(), 3u);

  kit::EnumCaseMap<Color, int> partial(all, {{Color::red, 1}}, {Color::green, Color::blue});
  partial.set(Color::blue, 9);
  EXPECT_EQ(partial.size(), 1u);
  EXPECT_EQ(partial[Color::blue], 9);
  kit::EnumCaseMap<Color, int> missing(all, {{Color::red, 1}});
  EXPECT_DEATH(missing.at(1), "no value");
}

TEST(CollectionViews, IndexedAndNeighborViews) {
  std::vector<char> letters{'x', 'y'};
  std::vector<std::pair<std::ptrdiff_t, char>> pairs;
  for (auto [index, letter] : kit::IndexedCollection(letters)) pairs.emplace_back(index, letter);
  EXPECT_EQ(pairs, (std::vector<std::pair<std::ptrdiff_t, char>>{{0, 'x'}, {1, 'y'}}));
  pairs.clear();
  for (auto [index, letter] : kit::IndexedCollection(letters, 5)) pairs.emplace_back(index, letter);
  EXPECT_EQ(pairs.front().first, 5);
  EXPECT_EQ(pairs.back().first, 6);

  std::list<int> numbers{1, 2, 3};
  std::vector<kit::Neighbors<int>> windows;
  for (const auto& window : kit::NeighborSequence(numbers)) windows.push_back(window);
  EXPECT_EQ(windows, (std::vector<kit::Neighbors<int>>{{std::nullopt, 1, 2}, {1, 2, 3}, {2, 3, std::nullopt}}));

  std::vector<int> single{7}, none;
  windows.clear();
  for (const auto& window : kit::NeighborSequence(single)) windows.push_back(window);
  EXPECT_EQ(windows, (std::vector<kit::Neighbors<int>>{{std::nullopt, 7, std::nullopt}}));
  int count = 0;
  for ([[maybe_unused]] const auto& window : kit::NeighborSequence(none)) ++count;
  EXPECT_EQ(count, 0);
}

TEST(FoundationHelpers, TextsBytesTypesAndUrls) {
  EXPECT_EQ(kit::nilIfEmptyOrWhitespace(""), std::nullopt);
  EXPECT_EQ(kit::nilIfEmptyOrWhitespace(" \t\n\u00a0\u2028"), std::nullopt);
  EXPECT_EQ(kit::nilIfEmptyOrWhitespace(" a "), " a ");
  EXPECT_FALSE(kit::isEmptyOrWhitespace("\xff"));

  EXPECT_EQ(kit::droppingTrailingNullByte(std::string("abc\0", 4)), "abc");
  EXPECT_EQ(kit::droppingTrailingNullByte(std::string("ab\0\0", 4)), std::string("ab\0", 3));
  EXPECT_EQ(kit::droppingTrailingNullByte(kit::Bytes8{}), kit::Bytes8{});
  EXPECT_EQ(kit::subrange(kit::Bytes8{1, 2, 3, 4}, 1, 3), (kit::Bytes8{2, 3}));
  EXPECT_DEATH(kit::subrange(kit::Bytes8{1}, 0, 2), "out of bounds");

  EXPECT_EQ(kit::typeName(kit::GeneralError("x")), "kit::GeneralError");
  EXPECT_EQ(kit::urlFromLiteral("https://example.com/a").host(), "example.com");
  EXPECT_DEATH(kit::urlFromLiteral("not a url"), "Invalid URL literal");
}

}  // namespace
