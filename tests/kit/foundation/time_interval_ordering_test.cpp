#include "kit/foundation/time_interval_ordering.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

TEST(TimeIntervalOrderingTest, NeverIsAboveEverythingAndUnitsCompareByLength) {
  using I = DispatchTimeInterval;
  EXPECT_FALSE(I::seconds(1) < I::milliseconds(1000));
  EXPECT_FALSE(I::milliseconds(1000) < I::seconds(1));
  EXPECT_TRUE(I::milliseconds(999) < I::seconds(1));
  EXPECT_FALSE(I::never() < I::seconds(1));
  EXPECT_TRUE(I::seconds(1) < I::never());
  EXPECT_TRUE(I::never() <= I::never());
  EXPECT_FALSE(I::never() < I::never());
  EXPECT_TRUE(I::seconds(-1) < I::nanoseconds(0));
}

}  // namespace
