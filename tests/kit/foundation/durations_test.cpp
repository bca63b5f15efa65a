#include "kit/foundation/durations.h"

#include <gtest/gtest.h>

#include <cmath>

#include "kit/foundation/json_coding.h"
#include "kit/foundation/log.h"
#include "platform/core/clock.h"

namespace {

using namespace std::chrono_literals;
using kit::DispatchTimeInterval;
using kit::ZvDuration;

TEST(ZvDuration, UnitsConvertByTheirRawValues) {
  EXPECT_EQ(ZvDuration::unit(60), ZvDuration::Unit::minutes);
  EXPECT_EQ(ZvDuration::unit(1e-9), ZvDuration::Unit::nanoseconds);
  EXPECT_EQ(ZvDuration::unit(61), std::nullopt);
  EXPECT_EQ(kit::sum({}), ZvDuration::zero);
  EXPECT_EQ(kit::sum({ZvDuration(1), ZvDuration(2.5)}), ZvDuration(3.5));
  EXPECT_EQ(ZvDuration(0.0), ZvDuration(-0.0));
  EXPECT_EQ(std::hash<ZvDuration>()(ZvDuration(0.0)), std::hash<ZvDuration>()(ZvDuration(-0.0)));
  EXPECT_FALSE(ZvDuration(NAN) == ZvDuration(NAN));
  EXPECT_FALSE(ZvDuration(NAN) < ZvDuration(1));
}

TEST(ZvDuration, DispatchIntervalsTruncateTowardZeroAndStopBeyondTheRange) {
  EXPECT_EQ(ZvDuration(0.5).dispatchTimeInterval(), DispatchTimeInterval::nanoseconds(499'999'999));
  EXPECT_EQ(ZvDuration(1.1).dispatchTimeInterval(), DispatchTimeInterval::nanoseconds(1'100'000'000));
  EXPECT_EQ(ZvDuration(-0.5).dispatchTimeInterval(), DispatchTimeInterval::nanoseconds(-499'999'999));
  EXPECT_DEATH(ZvDuration(1e10).dispatchTimeInterval(), "outside the representable range");
  EXPECT_DEATH(ZvDuration(INFINITY).dispatchTimeInterval(), "outside the representable range");

  EXPECT_TRUE(std::isinf(ZvDuration(DispatchTimeInterval::never()).seconds()));
  EXPECT_EQ(ZvDuration(DispatchTimeInterval::milliseconds(250)).seconds(), 0.25);
  EXPECT_EQ(ZvDuration(DispatchTimeInterval::seconds(-3)).seconds(), -3);
}

TEST(Durations, UnknownIntervalKindsAreReportedAndGiveZero) {
  kit::debugLogStore().clear();
  DispatchTimeInterval unknown{static_cast<DispatchTimeInterval::Kind>(42), 7};
  EXPECT_EQ(ZvDuration(unknown).seconds(), 0);
  EXPECT_EQ(kit::durationFrom(unknown), kit::Duration::zero());
  auto entries = kit::debugLogStore().entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_NE(entries[0].find("DispatchTimeInterval received a new enum case. Please handle it."), std::string::npos);
  EXPECT_NE(entries[0].find("in durations:"), std::string::npos) << entries[0];
}

TEST(Durations, StandardSpansBecomeWholeNanosecondSeconds) {
  EXPECT_EQ(kit::toTimeInterval(1500ms), 1.5);
  EXPECT_EQ(kit::toTimeInterval(-1500ms), -1.5);
  EXPECT_EQ(kit::toTimeInterval(std::chrono::duration<int64_t, std::atto>(1)), 0);
  EXPECT_EQ(kit::toTimeInterval(std::chrono::duration<int64_t, std::atto>(-1'999'999'999)), -1e-9);
  EXPECT_EQ(kit::toTimeInterval(std::chrono::hours(2)), 7200);
  EXPECT_EQ(kit::dispatchTimeInterval(std::chrono::duration<int64_t, std::atto>(1'500'000'000)),
            DispatchTimeInterval::nanoseconds(1));

  // Whole seconds that fit but a fraction that overflows saturate, toward the span's own sign.
  std::chrono::duration<int64_t, std::deci> justBeyond(92'233'720'369);
  EXPECT_EQ(kit::toTimeInterval(justBeyond), 9223372036.854776);
  EXPECT_EQ(kit::toTimeInterval(-justBeyond), -9223372036.854776);
  EXPECT_EQ(kit::dispatchTimeInterval(justBeyond),
            DispatchTimeInterval::nanoseconds(std::numeric_limits<int64_t>::max()));
  EXPECT_DEATH(kit::toTimeInterval(std::chrono::seconds(9'223'372'037)), "nanosecond range");
}

TEST(Durations, DispatchIntervalsBecomeSpansThatSaturate) {
  EXPECT_EQ(kit::durationFrom(DispatchTimeInterval::seconds(2)), 2s);
  EXPECT_EQ(kit::durationFrom(DispatchTimeInterval::microseconds(-5)), -5us);
  EXPECT_EQ(kit::durationFrom(DispatchTimeInterval::never()), kit::Duration::max());
  EXPECT_EQ(kit::durationFrom(DispatchTimeInterval::seconds(std::numeric_limits<int64_t>::max())),
            kit::Duration::max());
  EXPECT_EQ(kit::durationFrom(DispatchTimeInterval::milliseconds(std::numeric_limits<int64_t>::min())),
            kit::Duration::min());
}

TEST(Durations, MakersTruncateAndStopOnOverflow) {
  namespace d = kit::durations;
  EXPECT_EQ(d::minutes(1.5), 90s);
  EXPECT_EQ(d::seconds(1.0000000019), 1'000'000'001ns);
  EXPECT_EQ(d::seconds(-1.0000000019), -1'000'000'001ns);
  EXPECT_DEATH(d::days(int64_t{200'000'000}), "overflows");
  EXPECT_DEATH(d::hours(std::numeric_limits<int64_t>::max()), "overflows");
  EXPECT_DEATH(d::days(1e6), "outside the representable range");
  EXPECT_DEATH(d::seconds(NAN), "outside the representable range");

  std::mt19937_64 generator(7);
  for (int i = 0; i < 100; ++i) {
    auto value = d::random(1s, 2s, generator);
    EXPECT_GE(value, 1s);
    EXPECT_LE(value, 2s);
  }
  EXPECT_EQ(ZvDuration::random(ZvDuration(3), ZvDuration(3)), ZvDuration(3));
}

TEST(TimeHelpers, RoundingFollowsTheFloatProduct) {
  EXPECT_EQ(kit::rounded(1.005, 2, kit::RoundingRule::toNearestOrAwayFromZero), 1.0);
  EXPECT_EQ(kit::rounded(1.25, 1, kit::RoundingRule::toNearestOrEven), 1.2);
  EXPECT_EQ(kit::rounded(-1.21, 1, kit::RoundingRule::awayFromZero), -1.3);
  EXPECT_EQ(kit::rounded(1.234, -1, kit::RoundingRule::up), 1.234);
}

TEST(TimeHelpers, ClockTextsSplitTowardZero) {
  EXPECT_EQ(kit::hoursMinutesSeconds(3725.9), (kit::HoursMinutesSeconds{1, 2, 5}));
  EXPECT_EQ(kit::hoursMinutesSeconds(-3725), (kit::HoursMinutesSeconds{-1, -2, -5}));
  EXPECT_DEATH(kit::hoursMinutesSeconds(INFINITY), "outside the representable range");
  EXPECT_EQ(kit::formattedAsClock(3725, false, true, true), "01:02:05");
  EXPECT_EQ(kit::formattedAsClock(125, true, true, true), "02:05");
  EXPECT_EQ(kit::formattedAsClock(3725, false, true, false), "02:05");
  EXPECT_EQ(kit::formattedAsClock(3725, true, false, false), "01:02");
  EXPECT_EQ(kit::formattedAsClock(125, false, false, false), "02");
}

TEST(TimeHelpers, DatesAreMadeFromEitherSpanThroughItsSeconds) {
  using kit::Date;
  EXPECT_EQ(kit::dateSince1970(ZvDuration::days(1)), Date(24h));
  EXPECT_EQ(kit::dateSince1970(kit::Duration(1500ms)), Date(1500ms));
  EXPECT_EQ(kit::dateSinceReferenceDate(kit::Duration::zero()), Date(978'307'200s));
  EXPECT_EQ(kit::dateSinceReferenceDate(ZvDuration(-1)), Date(978'307'199s));
  EXPECT_EQ(kit::adding(Date(10s), ZvDuration::minutes(1)), Date(70s));
  platform::VirtualClock clock;
  platform::setClockForTesting(&clock);
  EXPECT_EQ(kit::dateFromNow(ZvDuration::minutes(-1)), clock.now() - 60s);
  EXPECT_EQ(kit::dateFromNow(kit::Duration(2s)), clock.now() + 2s);
  platform::setClockForTesting(nullptr);
}

TEST(TimeHelpers, IsWithinLooksBackForANegativeSpanAndIncludesBothEnds) {
  platform::VirtualClock clock;
  platform::setClockForTesting(&clock);
  const kit::Date now = clock.now();
  EXPECT_TRUE(kit::isWithin(now - 30s, -60s));
  EXPECT_FALSE(kit::isWithin(now - 30s, 60s));
  EXPECT_TRUE(kit::isWithin(now + 30s, 60s));
  EXPECT_TRUE(kit::isWithin(now - 60s, -60s));
  EXPECT_TRUE(kit::isWithin(now, -60s));
  EXPECT_FALSE(kit::isWithin(now - 61s, -60s));
  EXPECT_TRUE(kit::isWithin(now, 0s));
  platform::setClockForTesting(nullptr);
}

TEST(TimeHelpers, DatesBeyondTheRangeStopAtTheFirstOrLastDate) {
  platform::VirtualClock clock;
  platform::setClockForTesting(&clock);
  const auto infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(kit::dateFromNow(ZvDuration(infinity)), kit::Date::max());
  EXPECT_TRUE(kit::isInTheFuture(kit::dateFromNow(ZvDuration(infinity))));
  EXPECT_EQ(kit::dateFromNow(ZvDuration(-infinity)), kit::Date::min());
  EXPECT_EQ(kit::dateFromNow(ZvDuration::days(250 * 365)), kit::Date::max());
  EXPECT_TRUE(kit::isWithin(clock.now() + 10s, kit::Duration::max()));
  EXPECT_TRUE(kit::isWithin(clock.now() - 10s, kit::Duration::min()));
  platform::setClockForTesting(nullptr);
}

}  // namespace
