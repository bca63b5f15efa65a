#include "kit/foundation/time_interval_ordering.h"

#include <gtest/gtest.h>

#include "platform/core/clock.h"

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
  // A kind not known here counts zero, whatever it carries.
  const I unknown{static_cast<I::Kind>(42), 7};
  EXPECT_FALSE(unknown < I::nanoseconds(0));
  EXPECT_FALSE(I::nanoseconds(0) < unknown);
  EXPECT_TRUE(unknown < I::nanoseconds(1));
}

TEST(TimeIntervalOrderingTest, ClosedRangeRunsFromTheSmallerBoundWhicheverComesFirst) {
  using namespace std::chrono_literals;
  const platform::Date earlier{1000s}, later{2000s};
  auto range = ClosedRange<platform::Date>::between(later, earlier);
  EXPECT_EQ(range.lowerBound, earlier);
  EXPECT_EQ(range.upperBound, later);
  EXPECT_TRUE(range.contains(earlier + 500s));
  auto single = ClosedRange<platform::Date>::between(earlier, earlier);
  EXPECT_TRUE(single.contains(earlier));
  EXPECT_FALSE(single.contains(earlier + 1ns));
}

}  // namespace
