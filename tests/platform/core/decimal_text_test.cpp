#include "platform/core/decimal_text.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(DecimalTextTest, RoundsToTheDigitsAskedWithAPointAndNoGrouping) {
  EXPECT_EQ(decimalText(1.46, 1), "1.5");
  EXPECT_EQ(decimalText(16.0, 1), "16.0");
  EXPECT_EQ(decimalText(2.5e9, 0), "2500000000");
  EXPECT_EQ(decimalText(-0.04, 1), "-0.0");
  EXPECT_EQ(decimalText(0.123456, 3), "0.123");
}

}  // namespace
