#include "kit/ui/map_coordinates.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kit {
namespace {

TEST(CoordinateTest, EqualityTextAndDistance) {
  EXPECT_EQ((Coordinate2D{1.5, 2.0}.id()), "1.5-2.0");
  EXPECT_EQ((Coordinate2D{-33.8688, -151.2093}.id()), "-33.8688--151.2093");
  EXPECT_EQ((Coordinate2D{1, 2}), (Coordinate2D{1.0, 2.0}));
  EXPECT_NE((CoordinateSpan{0.1, 0.2}), (CoordinateSpan{0.2, 0.1}));
  EXPECT_EQ((Coordinate2D{48.85, 2.35}.distance({48.85, 2.35})), 0);
  // One degree of latitude is about 111.2 km; Paris to London about 344 km.
  EXPECT_NEAR((Coordinate2D{0, 0}.distance({1, 0})), 111195, 1);
  EXPECT_NEAR((Coordinate2D{48.8566, 2.3522}.distance({51.5074, -0.1278})), 343.5e3, 1e3);
  EXPECT_NEAR((Coordinate2D{0, 0}.distance({0, 180})), M_PI * 6371008.8, 1);  // antipodes
}

}  // namespace
}  // namespace kit
