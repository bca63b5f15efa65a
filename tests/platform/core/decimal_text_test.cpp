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

TEST(DecimalTextTest, ShortestFormWritesOutTheExactlyHeldRangeAndGivesTheRestAnExponent) {
  EXPECT_EQ(decimalText(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(decimalText(1234567.0), "1234567.0");
  EXPECT_EQ(decimalText(100000.0), "100000.0") << "not 1e+05, though that is shorter";
  EXPECT_EQ(decimalText(9007199254740992.0), "9007199254740992.0");
  EXPECT_EQ(decimalText(1e16), "1e+16");
  EXPECT_EQ(decimalText(0.0001), "0.0001");
  EXPECT_EQ(decimalText(0.00001), "1e-05");
  EXPECT_EQ(decimalText(-1.5e-7), "-1.5e-07");

  EXPECT_EQ(decimalText(0.1f), "0.1") << "a float's own shortest form, not the double it widens to";
  EXPECT_EQ(decimalText(16777216.0f), "16777216.0");
  EXPECT_EQ(decimalText(1e8f), "1e+08");
}

}  // namespace
