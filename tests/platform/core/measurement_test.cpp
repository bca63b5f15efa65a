#include "platform/core/measurement.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace platform {
namespace {

using Duration = Measurement<UnitDuration>;

TEST(Measurement, SumsAcrossUnitsMeetInTheBaseUnit) {
  const Duration sum = Duration{1, UnitDuration::hours()} + Duration{30, UnitDuration::minutes()};
  EXPECT_EQ(sum, (Duration{90, UnitDuration::minutes()}));
  EXPECT_EQ(sum.unit, UnitDuration::seconds());
  EXPECT_EQ((Duration{2, UnitDuration::hours()} - Duration{1, UnitDuration::hours()}).unit, UnitDuration::hours());

  const std::vector<Duration> none;
  const Duration total = std::accumulate(none.begin(), none.end(), Duration::zero());
  EXPECT_EQ(total.value, 0);
  EXPECT_EQ(total.unit, UnitDuration::seconds()) << "zero is in the base unit, not in the unit of the elements";

  Duration running = Duration::zero();
  running += Duration{1, UnitDuration::minutes()};
  running -= Duration{500, UnitDuration::milliseconds()};
  EXPECT_DOUBLE_EQ(running.value, 59.5);
}

}  // namespace
}  // namespace platform
