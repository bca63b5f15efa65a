#include "kit/app/power_assertions.h"

#include <gtest/gtest.h>

#include "kit/foundation/report_error.h"
#include "support/reported_errors.h"

namespace kit {
namespace {

TEST(PowerAssertionsTest, LocksGroupByProcessWithWhatAsTypeAndWhoAsNameAndAnEmptyTypeIsReported) {
  const ReportedErrors reports;
  const auto byProcess = processPowerAssertions({
      {"sleep", "Firefox", "Playing video", "block", 1000, 42},
      {"handle-lid-switch", "gnome-settings-daemon", "External monitor", "block", 1000, 7},
      {"idle:sleep", "Firefox", "Download", "delay", 1000, 42},
      {"", "odd", "", "block", 0, 9},
  });

  ASSERT_EQ(byProcess.size(), 3u);
  const auto& firefox = byProcess.at(ZvProcessID(42));
  ASSERT_EQ(firefox.size(), 2u);
  EXPECT_EQ(firefox[0].type, "sleep");
  EXPECT_EQ(firefox[0].name, "Firefox");
  EXPECT_EQ(firefox[1].type, "idle:sleep") << "in the order logind lists them";
  EXPECT_EQ(platform::userInfoString(firefox[1].properties, "why"), "Download");
  EXPECT_EQ(std::get<int64_t>(firefox[1].properties.at("pid")), 42);

  EXPECT_EQ(byProcess.at(ZvProcessID(9)).front().name, "odd") << "made all the same";
  EXPECT_EQ(reports.descriptions(), std::vector<std::string>{".type should not be empty"});
}

}  // namespace
}  // namespace kit
