#include "kit/foundation/sequence_utilities.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "kit/foundation/bounded_array.h"
#include "kit/foundation/bytes.h"
#include "kit/foundation/durations.h"
#include "kit/foundation/text_helpers.h"
#include "support/manual_main_executor.h"

namespace {

TEST(SequenceUtilities, NilIfZeroAndOrZeroTakeAnyValueWithAZeroAndArithmetic) {
  using namespace std::chrono_literals;
  EXPECT_EQ(kit::nilIfZero(0), std::nullopt);
  EXPECT_EQ(kit::nilIfZero(-0.0), std::nullopt);
  EXPECT_EQ(kit::nilIfZero(3), 3);
  EXPECT_EQ(kit::nilIfZero(0ms), std::nullopt);
  EXPECT_EQ(kit::nilIfZero(5s), 5s);
  EXPECT_EQ(kit::nilIfZero(kit::ZvDuration()), std::nullopt);
  EXPECT_EQ(kit::nilIfZero(kit::ZvDuration::minutes(2)), kit::ZvDuration::seconds(120));
  EXPECT_EQ(kit::nilIfZero(kit::Bytes(0)), std::nullopt);
  EXPECT_EQ(kit::nilIfZero(kit::Bytes(1024)), kit::Bytes(1024));
  EXPECT_EQ(kit::orZero(std::optional<std::chrono::seconds>()), 0s);
  EXPECT_EQ(kit::orZero(std::optional<kit::Bytes>(kit::Bytes(7))), kit::Bytes(7));
  static_assert(!kit::AdditiveArithmetic<std::string>, "a text has + but no -");
}

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

TEST(SequenceUtilities, RandomCasesReachEveryCaseAndNoOther) {
  enum class Suit { clubs, diamonds, hearts, spades };
  constexpr std::array all{Suit::clubs, Suit::diamonds, Suit::hearts, Suit::spades};
  std::mt19937_64 generator(7);
  std::array<int, all.size()> seen{};
  for (int draw = 0; draw < 400; ++draw) ++seen.at(static_cast<std::size_t>(kit::randomCase(all, generator)));
  for (int count : seen) EXPECT_GT(count, 50);
  EXPECT_EQ(kit::randomCase(std::array{Suit::hearts}), Suit::hearts);
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

TEST(SequenceUtilities, ExcludingPartitioningAndSortingByProjections) {
  EXPECT_EQ(kit::excluding(std::vector<int>{3, 1, 2}, std::vector<int>{}), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(kit::excluding(std::vector<int>{3, 1, 2, 1}, std::vector<int>{1}), (std::vector<int>{3, 2}));
  EXPECT_EQ(kit::removingDuplicates(std::vector<std::string>{"b", "a", "b", "c", "a"}),
            (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(kit::nilIfEmpty(std::string()), std::nullopt);
  EXPECT_EQ(kit::nilIfEmpty(std::vector<int>{1}), std::vector<int>{1});
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
  auto byNameDescending = kit::sortedBy(rows, &Row::name, std::greater<>());
  EXPECT_EQ(byNameDescending, (std::vector<Row>{{1, "z"}, {2, "b"}, {2, "a"}}));
  kit::sortBy(rows, &Row::name);
  EXPECT_EQ(rows, (std::vector<Row>{{2, "a"}, {2, "b"}, {1, "z"}}));
  EXPECT_THROW(kit::sortedBy(rows, &Row::name,
                             [](const std::string&, const std::string&) -> bool { throw std::runtime_error("order"); }),
               std::runtime_error);

  // NaN keys go after every number, and the numbers between them still come out in order.
  std::vector<double> values;
  for (int i = 0; i < 1000; ++i) values.push_back(i % 7 == 0 ? std::nan("") : (i * 7919) % 1000);
  auto numbersThenNaNs = [](const std::vector<double>& sorted) {
    auto nan = std::ranges::find_if(sorted, [](double v) { return std::isnan(v); });
    return std::is_sorted(sorted.begin(), nan) && sorted.end() - nan == 143 &&
           std::all_of(nan, sorted.end(), [](double v) { return std::isnan(v); });
  };
  EXPECT_TRUE(numbersThenNaNs(kit::sortedBy<double>(values, {kit::comparing<double>(std::identity())})));
  EXPECT_TRUE(numbersThenNaNs(kit::sortedBy(values, std::identity())));
}

TEST(SequenceUtilities, ContainsAppComparesIdsByCanonicalEquivalenceWithCase) {
  struct Application {
    std::optional<std::string> bundleIdentifier;
  };
  const std::vector<Application> running{{std::nullopt}, {"org.example.Caf\u00e9"}, {"org.example.Viewer"}};
  EXPECT_TRUE(kit::containsApp(running, "org.example.Viewer"));
  EXPECT_TRUE(kit::containsApp(running, "org.example.Cafe\u0301"));
  EXPECT_FALSE(kit::containsApp(running, "org.example.viewer"));
  EXPECT_FALSE(kit::containsApp(running, "org.example.CAF\u00c9"));
  EXPECT_FALSE(kit::containsApp(running, ""));
  EXPECT_FALSE(kit::containsApp(std::vector<Application>{}, "org.example.Viewer"));
  // Bytes that are no UTF-8 match only themselves.
  EXPECT_FALSE(kit::containsApp(std::vector<Application>{{"a\xff"}}, "a\xfe"));
  EXPECT_TRUE(kit::containsApp(std::vector<Application>{{"a\xff"}}, "a\xff"));
}

TEST(SequenceUtilities, BoundedArrayDropsTheOldestEntryPerAppend) {
  kit::BoundedArray<std::string> three(3);
  for (const char* entry : {"a", "b", "c", "d"}) three.append(entry);
  EXPECT_EQ(three.entries(), (std::vector<std::string>{"b", "c", "d"}));
  kit::BoundedArray<int> none(0);
  none.append(1);
  none.append(2);
  EXPECT_EQ(none.entries(), std::vector<int>{2}) << "the newest entry is kept even without room";
}

TEST(SequenceUtilities, OptionalDefaults) {
  EXPECT_EQ(kit::orEmpty(std::optional<std::string>()), "");
  EXPECT_EQ(kit::orEmpty(std::optional<std::string>("x")), "x");
  EXPECT_TRUE(kit::isNilOrEmpty(std::optional<std::vector<int>>()));
  EXPECT_TRUE(kit::isNilOrEmpty(std::optional<std::string>("")));
  EXPECT_FALSE(kit::isNilOrEmpty(std::optional<std::string>(" ")));
  int fallbacks = 0;
  auto fallback = [&] { return ++fallbacks; };
  EXPECT_EQ(kit::orElse(std::optional<int>(7), fallback), 7);
  EXPECT_EQ(fallbacks, 0) << "the fallback runs only for an absent value";
  EXPECT_EQ(kit::orElse(std::optional<int>(), fallback), 1);
}

class PerformThenAsyncOnMain : public ManualMainExecutorTest {};

TEST_F(PerformThenAsyncOnMain, RunsTheHandlerWithTheValueNowAndTheFollowUpOnALaterTurnOfTheMainThread) {
  std::vector<std::string> steps;
  kit::performThenAsyncOnMain(
      std::string("handler"), [&](std::string& value) { steps.push_back(value); },
      [&] { steps.emplace_back("follow-up"); });
  steps.emplace_back("returned");
  main.runUntilIdle();
  EXPECT_EQ(steps, (std::vector<std::string>{"handler", "returned", "follow-up"}));
}

}  // namespace
