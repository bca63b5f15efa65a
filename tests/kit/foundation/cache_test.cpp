#include "kit/foundation/cache.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Icons = kit::Cache<std::string, int>;

TEST(Cache, EvictsTheLeastRecentlyUsedEntriesBeyondItsLimits) {
  Icons byCount("icons", 0, 2);
  EXPECT_EQ(byCount.name(), "icons");
  byCount.setObject("a", 1);
  byCount.setObject("b", 2);
  EXPECT_EQ(byCount.object("a"), 1);  // "b" is now the least recently used
  byCount.setObject("c", 3);
  EXPECT_EQ(byCount.object("b"), std::nullopt);
  EXPECT_EQ(byCount.object("a"), 1);
  EXPECT_EQ(byCount.object("c"), 3);

  Icons byCost("costly", 10, 0);
  byCost.setObject("a", 1, 4);
  byCost.setObject("b", 2, 4);
  byCost.setObject("a", 1, 5);  // replacing an entry counts its new cost only
  EXPECT_EQ(byCost.object("b"), 2);
  byCost.setObject("c", 3, 3);
  EXPECT_EQ(byCost.object("a"), std::nullopt);
  EXPECT_EQ(byCost.object("b"), 2);
  byCost.setTotalCostLimit(4);  // "c" was used before "b" and goes first
  EXPECT_EQ(byCost.object("c"), std::nullopt);
  EXPECT_EQ(byCost.object("b"), 2);
}

TEST(Cache, KeyedSubscriptStoresAndRemovesThroughAssignment) {
  Icons icons("icons", 0, 0);
  icons["a"] = 1;
  EXPECT_EQ(icons.object("a"), 1);
  EXPECT_EQ(icons["a"], 1);
  icons["a"] = 2;
  EXPECT_EQ(icons["a"], 2);
  icons["a"] = std::nullopt;
  EXPECT_EQ(icons.object("a"), std::nullopt);
  EXPECT_EQ(icons["missing"], std::nullopt);
  EXPECT_EQ(icons.object("missing"), std::nullopt) << "reading stores nothing";
}

}  // namespace
