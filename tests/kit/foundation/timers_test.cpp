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

TEST_F(Timers, SpansBecomeWholeMillisecondsAndTimersFireOnceOrRepeat) {
  EXPECT_EQ(kit::makeTimer(kit::Duration(1500us), false, [](QTimer&) {})->interval(), 2);
  EXPECT_EQ(kit::makeTimer(kit::ZvDuration::minutes(1.5), false, [](QTimer&) {})->interval(), 90'000);
  EXPECT_EQ(kit::makeTimer(kit::ZvDuration::weeks(100), false, [](QTimer&) {})->interval(),
            std::numeric_limits<int>::max());
  EXPECT_EQ(kit::makeTimer(-kit::ZvDuration::seconds(1), false, [](QTimer&) {})->interval(), 0);

  auto idle = kit::makeTimer(kit::Duration(1ms), false, [](QTimer&) { FAIL() << "a made timer waits for start()"; });
  EXPECT_FALSE(idle->isActive());

  int once = 0, repeated = 0;
  auto single = kit::scheduledTimer(kit::Duration(5ms), false, [&](QTimer&) { ++once; });
  auto repeating = kit::scheduledTimer(kit::ZvDuration::milliseconds(5), true, [&](QTimer& timer) {
    if (++repeated == 3) timer.stop();
  });
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return repeated == 3; }));
  QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(repeated, 3);
}

}  // namespace
