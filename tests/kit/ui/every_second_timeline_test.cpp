#include "kit/ui/every_second_timeline.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QTest>
#include <chrono>
#include <vector>

namespace kit {
namespace {

using namespace std::chrono_literals;

TEST(EverySecondTimelineTest, EntriesFollowTheModeAndTheTimelineUpdatesAtOnceThenEverySecond) {
  const platform::Date now(std::chrono::seconds(1'000'000));
  EverySecondimelineSchedule schedule;
  EXPECT_EQ(schedule.entries(now, TimelineMode::normal, 3), (std::vector<platform::Date>{now, now + 1s, now + 2s}));
  EXPECT_EQ(schedule.entries(now, TimelineMode::lowFrequency, 2), (std::vector<platform::Date>{now, now + 30s}));
  int updates = 0;
  QObject owner;
  auto* timeline = new Timeline(&owner, [&] { ++updates; });
  EXPECT_EQ(updates, 1);  // at once
  EXPECT_TRUE(QTest::qWaitFor([&] { return updates == 2; }, 1500));
  timeline->setMode(TimelineMode::lowFrequency);
  EXPECT_EQ(timeline->currentInterval(), 30s);
}

}  // namespace
}  // namespace kit
