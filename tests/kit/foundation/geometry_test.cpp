#include "kit/foundation/geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(Geometry, SizesOrderOnlyWhenSmallerInBothDimensions) {
  EXPECT_TRUE(kit::smallerInBothDimensions({10, 20}, {11, 21}));
  EXPECT_FALSE(kit::smallerInBothDimensions({10, 20}, {11, 20}));
  EXPECT_FALSE(kit::smallerInBothDimensions({1, 3}, {2, 2}));
  EXPECT_FALSE(kit::smallerInBothDimensions({2, 2}, {1, 3}));
}

}  // namespace
