#include "kit/foundation/timing_curves.h"

#include <gtest/gtest.h>

namespace {

TEST(TimingCurves, FollowTheirBezierCurvesFromStartToEnd) {
  // Reference points of the two curves, solved independently of Qt.
  const auto& standard = kit::defaultTimingCurve();
  EXPECT_NEAR(standard.valueForProgress(0.25), 0.4085, 2e-3);
  EXPECT_NEAR(standard.valueForProgress(0.5), 0.8024, 2e-3);
  EXPECT_NEAR(standard.valueForProgress(0.75), 0.9605, 2e-3);

  const auto& easeInOut = kit::easeInOutTimingCurve();
  EXPECT_NEAR(easeInOut.valueForProgress(0.25), 0.1292, 2e-3);
  EXPECT_NEAR(easeInOut.valueForProgress(0.5), 0.5, 2e-3);
  EXPECT_NEAR(easeInOut.valueForProgress(0.75), 0.8708, 2e-3);

  for (const auto* curve : {&standard, &easeInOut}) {
    EXPECT_DOUBLE_EQ(curve->valueForProgress(0), 0);
    EXPECT_DOUBLE_EQ(curve->valueForProgress(1), 1);
  }
}

}  // namespace
