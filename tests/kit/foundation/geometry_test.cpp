#include "kit/foundation/geometry.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace {

TEST(Geometry, SizesOrderOnlyWhenSmallerInBothDimensions) {
  EXPECT_TRUE(kit::smallerInBothDimensions({10, 20}, {11, 21}));
  EXPECT_FALSE(kit::smallerInBothDimensions({10, 20}, {11, 20}));
  EXPECT_FALSE(kit::smallerInBothDimensions({1, 3}, {2, 2}));
  EXPECT_FALSE(kit::smallerInBothDimensions({2, 2}, {1, 3}));
}

TEST(Geometry, HashingIsExactAndOrderSensitive) {
  kit::GeometryHash hash;
  EXPECT_EQ(hash(QSizeF(0, -0.0)), hash(QSizeF(-0.0, 0)));
  EXPECT_NE(hash(QSizeF(1, 2)), hash(QSizeF(2, 1)));
  QRectF rect(1, 2, 3, 4);
  EXPECT_EQ(hash(rect), hash(QRectF(rect.topLeft(), rect.size())));
  std::unordered_set<QSizeF, kit::GeometryHash, kit::GeometryEqual> sizes{{1, 2}, {1, 2}, {1, 2.000000000001}};
  EXPECT_EQ(sizes.size(), 2u);
}

TEST(Geometry, ZeroValuesAndSizeTexts) {
  EXPECT_FALSE(kit::nilIfZero(QSizeF(0, 0)));
  EXPECT_TRUE(kit::nilIfZero(QPointF(0, 1)));
  EXPECT_FALSE(kit::nilIfZero(QRectF()));
  EXPECT_EQ(kit::formattedDescription(QSizeF(1920, 1080)), "1920\u00d71080");
  EXPECT_EQ(kit::formattedDescription(QSizeF(0.5, 2)), "0.5\u00d72");
  EXPECT_EQ(kit::formattedDescription(kit::unitSize), "1\u00d71");
}

}  // namespace
