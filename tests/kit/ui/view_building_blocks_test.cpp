#include "kit/ui/view_building_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kit {
namespace {

TEST(ListEditingTest, MovesRemovesAndInsertsRowsInOneEdit) {
  std::vector<std::string> rows{"a", "b", "c", "d", "e"};
  moveElements(rows, {0, 2}, 4);
  EXPECT_EQ(rows, (std::vector<std::string>{"b", "d", "a", "c", "e"}));
  moveElements(rows, {4}, 0);
  EXPECT_EQ(rows, (std::vector<std::string>{"e", "b", "d", "a", "c"}));
  removeElements(rows, {0, 1, 9});
  EXPECT_EQ(rows, (std::vector<std::string>{"d", "a", "c"}));
  insertElements(rows, 1, {"x", "y"});
  insertElements(rows, 99, {"z"});
  insertElements(rows, 0, {});
  EXPECT_EQ(rows, (std::vector<std::string>{"d", "x", "y", "a", "c", "z"}));
}

}  // namespace
}  // namespace kit
