#include "platform/core/clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace platform;
using namespace std::chrono_literals;

namespace {

TEST(ClockTest, DatesRoundTripThroughTheReferenceDateAndDescribeInUtc) {
  Date reference = dateFromTimeIntervalSinceReferenceDate(0);
  EXPECT_EQ(dateDescription(reference), "2001-01-01 00:00:00 +0000");
  Date later = dateFromTimeIntervalSinceReferenceDate(86400.5);
  EXPECT_DOUBLE_EQ(timeIntervalSinceReferenceDate(later), 86400.5);
  EXPECT_EQ(dateDescription(later), "2001-01-02 00:00:00 +0000");
  // Stored data may hold anything; no value may overflow.
  for (double odd : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1e300})
    (void)dateDescription(dateFromTimeIntervalSinceReferenceDate(odd));
}

TEST(ClockTest, VirtualClockMovesOnlyWhenAdvanced) {
  VirtualClock clock;
  Date start = clock.now();
  auto uptime = clock.uptime();
  clock.advance(90s);
  EXPECT_EQ(clock.now() - start, 90s);
  EXPECT_EQ(clock.uptime() - uptime, 90s);
  EXPECT_EQ(clock.uptimeIncludingSleep(), clock.uptime());
}

}  // namespace
