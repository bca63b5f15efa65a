#include "kit/foundation/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Geometry, SizesOrderOnlyWhenSmallerInBothDimensions) {
  EXPECT_TRUE(kit::smallerInBothDimensions({10, 20}, {11, 21}));
  EXPECT_FALSE(kit::smallerInBothDimensions({10, 20}, {11, 20}));
  EXPECT_FALSE(kit::smallerInBothDimensions({1, 3}, {2, 2}));
  EXPECT_FALSE(kit::smallerInBothDimensions({2, 2}, {1, 3}));
}

TEST(Geometry, HashingAgreesWithExactEqualityAndFollowsComponentOrder) {
  kit::GeometryHash hash;
  kit::GeometryEqual equal;
  const QSizeF zeros(0, -0.0), otherZeros(-0.0, 0);
  EXPECT_TRUE(equal(zeros, otherZeros));
  EXPECT_EQ(hash(zeros), hash(otherZeros));
  EXPECT_NE(hash(QSizeF(1, 2)), hash(QSizeF(2, 1)));
  EXPECT_NE(hash(QPointF(1, 2)), hash(QPointF(2, 1)));
  const QRectF rect(1.5, -2, 30, 40);
  EXPECT_EQ(hash(rect), hash(QRectF(QPointF(1.5, -2), QSizeF(30, 40))));
  EXPECT_NE(hash(rect), hash(QRectF(1.5, -2, 40, 30)));
  // Qt's own == is fuzzy; sizes that differ in the last bit are different keys.
  EXPECT_FALSE(equal(QSizeF(1, 1), QSizeF(1, std::nextafter(1.0, 2.0))));

  EXPECT_EQ(kit::nilIfZero(QSizeF(0, -0.0)), std::nullopt);
  EXPECT_EQ(kit::nilIfZero(QPointF(0, 3)), QPointF(0, 3));
  EXPECT_EQ(kit::nilIfZero(QRectF()), std::nullopt);
}

TEST(Geometry, SizesReadAsWidthTimesHeight) {
  EXPECT_EQ(kit::formattedDescription(QSizeF(1920, 1080)), "1920\u00d71080");
  EXPECT_EQ(kit::formattedDescription(QSizeF(0.5, 2)), "0.5\u00d72");
  EXPECT_EQ(kit::formattedDescription(QSizeF(0.1, -3)), "0.1\u00d7-3");
}

}  // namespace
