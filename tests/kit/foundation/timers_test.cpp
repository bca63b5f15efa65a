#include "kit/foundation/timers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "support/event_loop.h"

namespace {

using namespace std::chrono_literals;

class Timers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { eventloop::ensureCoreApplication(); }
};

TEST_F(Timers, SpansOfAnyLengthAndTimersFireOnceOrRepeat) {
  EXPECT_EQ(kit::makeTimer(kit::Duration(1500us), false, [](platform::Timer&) {})->interval(), 1500us);
  EXPECT_EQ(kit::makeTimer(kit::ZvDuration::minutes(1.5), false, [](platform::Timer&) {})->interval(), 90s);
  EXPECT_EQ(kit::makeTimer(kit::ZvDuration::weeks(100), false, [](platform::Timer&) {})->interval(),
            std::chrono::weeks(100));
  EXPECT_EQ(kit::makeTimer(kit::ZvDuration(INFINITY), false, [](platform::Timer&) {})->interval(),
            kit::Duration::max());
  EXPECT_EQ(kit::makeTimer(-kit::ZvDuration::seconds(1), false, [](platform::Timer&) {})->interval(), 0s);

  auto idle = kit::makeTimer(kit::Duration(1ms), false, [](platform::Timer&) { FAIL() << "a made timer waits"; });
  EXPECT_FALSE(idle->isActive());

  int once = 0, repeated = 0, stopped = 0;
  kit::scheduledTimer(kit::Duration(5ms), false, [&](platform::Timer&) { ++once; });  // the loop keeps it
  kit::scheduledTimer(kit::ZvDuration::milliseconds(5), true, [&](platform::Timer& timer) {
    if (++repeated == 3) timer.stop();
  });
  auto handle = kit::scheduledTimer(kit::Duration(1ms), true, [&](platform::Timer&) { ++stopped; });
  EXPECT_TRUE(handle.isActive());
  handle.stop();
  EXPECT_FALSE(handle.isActive());
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return repeated == 3 && once == 1; }));
  QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(repeated, 3);
  EXPECT_EQ(stopped, 0);
}

}  // namespace
