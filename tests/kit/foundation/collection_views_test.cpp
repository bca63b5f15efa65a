#include "kit/foundation/collection_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <ranges>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Color { red, green, blue };

using Letters = kit::IndexedCollection<std::ranges::ref_view<std::vector<char>>>;
static_assert(std::ranges::random_access_range<Letters> && std::ranges::sized_range<Letters>);
static_assert(std::ranges::view<Letters>);
static_assert(std::ranges::random_access_range<kit::EnumCaseMap<Color, int>>);
static_assert(std::ranges::input_range<kit::NeighborSequence<std::ranges::ref_view<std::list<int>>>>);
static_assert(std::ranges::view<kit::NeighborSequence<std::ranges::ref_view<std::list<int>>>>);

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

TEST(CollectionViews, EnumCaseMapIsARandomAccessCollectionOfCasesAndValues) {
  std::vector<Color> all{Color::red, Color::green, Color::blue};
  kit::EnumCaseMap<Color, std::string> names(all, {{Color::blue, "b"}, {Color::red, "r"}, {Color::green, "g"}});
  std::string visited;
  for (auto [key, value] : names) visited += value + (key == Color::blue ? "!" : "");
  EXPECT_EQ(visited, "rgb!");
  std::string backwards;
  for (auto [key, value] : names | std::views::reverse) backwards += value;
  EXPECT_EQ(backwards, "bgr");
  EXPECT_EQ((*std::prev(names.end())).first, Color::blue);

  kit::EnumCaseMap<Color, std::string> none(all, {}, all);
  EXPECT_TRUE(none.empty());
  EXPECT_FALSE(names.empty());
}

TEST(CollectionViews, IndexedAndNeighborViews) {
  std::vector<char> letters{'x', 'y'};
  std::vector<std::pair<std::ptrdiff_t, char>> pairs;
  for (auto [index, letter] : kit::IndexedCollection(letters)) pairs.emplace_back(index, letter);
  EXPECT_EQ(pairs, (std::vector<std::pair<std::ptrdiff_t, char>>{{0, 'x'}, {1, 'y'}}));
  // A temporary collection lives as long as the view over it.
  std::vector<std::pair<std::ptrdiff_t, std::string>> named;
  for (auto [index, name] : kit::IndexedCollection(std::vector<std::string>{"a long first name", "second"}))
    named.emplace_back(index, name);
  EXPECT_EQ(named, (std::vector<std::pair<std::ptrdiff_t, std::string>>{{0, "a long first name"}, {1, "second"}}));

  // A part of a collection keeps the positions it has there; subscripts take those positions.
  std::vector<int> counts{10, 11, 12, 13, 14, 15, 16, 17};
  kit::IndexedCollection tail(std::ranges::subrange(counts.begin() + 5, counts.end()), 5);
  EXPECT_EQ(tail.size(), 3u);
  EXPECT_FALSE(tail.empty());
  EXPECT_EQ(tail[5], (std::pair<std::ptrdiff_t, int&>{5, counts[5]}));
  EXPECT_EQ((*std::next(tail.begin(), 2)).first, 7);
  EXPECT_EQ((*std::prev(tail.end())).second, 17);
  std::vector<std::ptrdiff_t> backwards;
  for (auto [position, number] : tail | std::views::reverse) backwards.push_back(position);
  EXPECT_EQ(backwards, (std::vector<std::ptrdiff_t>{7, 6, 5}));
  EXPECT_DEATH(tail[8], "Index out of range");
  EXPECT_TRUE(kit::IndexedCollection(std::vector<int>{}).empty());

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

  // A temporary base is kept, and a base that can be read only once (a stream) is read once, in order.
  windows.clear();
  for (const auto& window : kit::NeighborSequence(std::vector<int>{4, 5})) windows.push_back(window);
  EXPECT_EQ(windows, (std::vector<kit::Neighbors<int>>{{std::nullopt, 4, 5}, {4, 5, std::nullopt}}));
  std::istringstream stream("1 2 3");
  windows.clear();
  std::ranges::copy(kit::NeighborSequence(std::views::istream<int>(stream)), std::back_inserter(windows));
  EXPECT_EQ(windows, (std::vector<kit::Neighbors<int>>{{std::nullopt, 1, 2}, {1, 2, 3}, {2, 3, std::nullopt}}));
}

}  // namespace
