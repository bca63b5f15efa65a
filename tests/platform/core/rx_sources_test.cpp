#include "platform/core/rx_sources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/manual_main_executor.h"

using namespace platform;
using namespace platform::rx;
using namespace std::chrono_literals;

namespace {

class SourcesTest : public ManualMainExecutorTest {};

TEST_F(SourcesTest, TimerTicksPerSubscriptionUntilCancelled) {
  int ticks = 0;
  auto c = timerPublisher(500ms).sink([&](const Unit&) { ++ticks; });
  main.advance(1200ms);
  EXPECT_EQ(ticks, 2);
  c.cancel();
  main.advance(5s);
  EXPECT_EQ(ticks, 2);
  EXPECT_FALSE(main.hasPendingWork());
}

TEST_F(SourcesTest, NotificationPublisherObservesByNameUntilCancelled) {
  NotificationCenter center;
  std::vector<std::string> names;
  auto c = notifications(center, "A").sink([&](const Notification& n) { names.push_back(n.name); });
  center.post({"A", {}});
  center.post({"B", {}});
  c.cancel();
  center.post({"A", {}});
  EXPECT_EQ(names, std::vector<std::string>{"A"});
}

}  // namespace
