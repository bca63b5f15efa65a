#include "platform/core/periodic_thread.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <atomic>
#include <memory>
#include <thread>

using namespace platform;
using namespace std::chrono_literals;

namespace {

// Waits at most ten seconds for `done`; answers it.
template <class F>
bool waitFor(F done) {
  for (int i = 0; i < 10'000 && !done(); ++i) std::this_thread::sleep_for(1ms);
  return done();
}

TEST(PeriodicThreadTest, TicksWithTheToleranceAsTimerSlackUntilStoppedAndStopsWithoutWaitingForATick) {
  std::atomic<int> ticks{0};
  std::atomic<long> slack{-1};
  PeriodicThread periodic(1ms, 3ms, [&] {
    slack = prctl(PR_GET_TIMERSLACK);
    ++ticks;
  });
  ASSERT_TRUE(waitFor([&] { return ticks >= 3; }));
  periodic.stop();
  int stoppedAt = ticks;
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(ticks, stoppedAt) << "no tick after stop() returned";
  EXPECT_EQ(slack, 3'000'000) << "the kernel may put each wake-up off by the tolerance, to share it";

  // Ending a thread whose next tick is an hour away takes no hour.
  PeriodicThread hourly(1h, 0ns, [] {});
  hourly.stop();
}

TEST(PeriodicThreadTest, StopWaitsForTheTickInProgressAndNoneStartsAfterIt) {
  std::atomic<bool> inTick{false}, release{false};
  std::atomic<int> ticks{0};
  PeriodicThread periodic(1ms, 0ns, [&] {
    inTick = true;
    waitFor([&] { return release.load(); });
    ++ticks;
  });
  ASSERT_TRUE(waitFor([&] { return inTick.load(); }));
  std::atomic<int> ticksWhenStopped{-1};
  std::thread stopper([&] {
    periodic.stop();
    ticksWhenStopped = ticks.load();
  });
  std::this_thread::sleep_for(20ms);
  release = true;
  stopper.join();
  EXPECT_EQ(ticksWhenStopped, 1) << "stop() returned only once the tick it found running had ended";
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(ticks, 1);
}

TEST(PeriodicThreadTest, ATickMayStopItsOwnThread) {
  std::atomic<int> ticks{0};
  std::atomic<PeriodicThread*> self{nullptr};
  auto periodic = std::make_unique<PeriodicThread>(1ms, 0ns, [&] {
    waitFor([&] { return self.load() != nullptr; });
    if (ticks == 1) self.load()->stop();
    ++ticks;
  });
  self = periodic.get();
  ASSERT_TRUE(waitFor([&] { return ticks >= 2; }));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(ticks, 2);
  periodic.reset();
}

}  // namespace
