#include "platform/core/decimal_text.h"

#include <gtest/gtest.h>

#include <limits>

using namespace platform;

namespace {

TEST(DecimalTextTest, RoundsToTheDigitsAskedWithAPointAndNoGrouping) {
  EXPECT_EQ(decimalText(1.46, 1), "1.5");
  EXPECT_EQ(decimalText(16.0, 1), "16.0");
  EXPECT_EQ(decimalText(2.5e9, 0), "2500000000");
  EXPECT_EQ(decimalText(-0.04, 1), "-0.0");
  EXPECT_EQ(decimalText(0.123456, 3), "0.123");
}

TEST(DecimalTextTest, ShortestFormReadsBackAndMarksWholeNumbers) {
  EXPECT_EQ(decimalText(0.1), "0.1");
  EXPECT_EQ(decimalText(2.0), "2.0");
  EXPECT_EQ(decimalText(-0.0), "-0.0");
  EXPECT_EQ(decimalText(1e20), "1e+20");
  EXPECT_EQ(decimalText(-2.2250738585072014e-308), "-2.2250738585072014e-308");
  EXPECT_EQ(decimalText(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(decimalText(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(decimalText(std::numeric_limits<double>::quiet_NaN()), "nan");
}

}  // namespace
