#include "kit/foundation/collection_views.h"

#include <gtest/gtest.h>

#include <list>
#include <vector>

namespace {

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
  // A temporary collection lives as long as the view over it.
  std::vector<std::pair<std::ptrdiff_t, std::string>> named;
  for (auto [index, name] : kit::IndexedCollection(std::vector<std::string>{"a long first name", "second"}))
    named.emplace_back(index, name);
  EXPECT_EQ(named, (std::vector<std::pair<std::ptrdiff_t, std::string>>{{0, "a long first name"}, {1, "second"}}));

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

}  // namespace
