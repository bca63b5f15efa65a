#include "kit/ui/color_components.h"

#include <gtest/gtest.h>

#include <cmath>

#include "kit/foundation/report_error.h"
#include "support/reported_errors.h"

namespace kit {
namespace {

::testing::AssertionResult hasComponents(const QColor& color, HSBAComponents expected) {
  const HSBAComponents c = hsbaComponents(color);
  const auto near = [](double a, double b) { return std::abs(a - b) < 1e-3; };
  if (near(c.hue, expected.hue) && near(c.saturation, expected.saturation) && near(c.brightness, expected.brightness) &&
      near(c.alpha, expected.alpha))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "hsba " << c.hue << " " << c.saturation << " " << c.brightness << " "
                                       << c.alpha;
}

TEST(ColorComponents, AdjustingChangesComponentsRelativelyWithinTheirRange) {
  const QColor color = QColor::fromHsvF(0.6f, 0.5f, 0.8f, 0.9f);
  EXPECT_TRUE(hasComponents(adjusting(color, 0, -0.3, 0, 0), {0.6, 0.35, 0.8, 0.9}));
  EXPECT_TRUE(hasComponents(adjusting(color, 0.5, 1, 1, 1), {0.9, 1, 1, 1}));
  EXPECT_TRUE(hasComponents(adjusting(QColor::fromHsvF(0.75f, 1, 1), 0.5, -0.5, 0, 0), {0.125, 0.5, 1, 1}))
      << "the hue wraps around";
  EXPECT_TRUE(hasComponents(adjusting(QColor::fromHsvF(0.75f, 0.5, 1), 0, -2, 0, 0), {0, 0, 1, 1}))
      << "a grey has hue 0";
}

TEST(ColorComponents, AnInvalidColorIsReportedAndReadsAsZeros) {
  const ReportedErrors reported;
  EXPECT_TRUE(hasComponents(QColor(), {0, 0, 0, 0}));
  EXPECT_EQ(adjusting(QColor(), 0, 0, 0, 0), QColor::fromRgbF(0, 0, 0, 0));
  EXPECT_EQ(reported.descriptions(),
            (std::vector<std::string>{"Unsupported color space: <Unknown>", "Unsupported color space: <Unknown>"}));
}

}  // namespace
}  // namespace kit
