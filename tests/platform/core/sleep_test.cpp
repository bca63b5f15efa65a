#include "platform/core/sleep.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "platform/core/task.h"
#include "support/manual_main_executor.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

class SleepTest : public VirtualTimeTest {};

TEST_F(SleepTest, CancellingASleepingTaskEndsTheSleepWithCancellationError) {
  bool cancelled = false;
  auto task = spawn(main, [&]() -> Task<> {
    try {
      co_await sleepFor(1h);
    } catch (const CancellationError&) {
      cancelled = true;
    }
  });
  main.runUntilIdle();
  EXPECT_EQ(clock.pendingSleeps(), 1u);
  task.cancel();
  main.runUntilIdle();
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(clock.pendingSleeps(), 0u);  // the timer entry is gone too
}

// Waits (at most about ten seconds) until `done` holds; says whether it did.
template <class F>
bool waitUntil(F done) {
  for (int i = 0; i < 10'000 && !done(); ++i) std::this_thread::sleep_for(1ms);
  return done();
}

// A test lets its virtual clock go while a task on the pool is starting a sleep on it, or already sleeps on it, and
// the task is cancelled afterwards. Neither the sleep starting nor the cancelling may touch the clock that is gone
// (the sanitizers see it when they do).
TEST(SleepOnThePool, OutlivesTheVirtualClockItStartedOnWithoutTouchingIt) {
  for (int round = 0; round < 40; ++round) {
    auto clock = std::make_unique<VirtualClock>();
    setClockForTesting(clock.get());
    auto ended = std::make_shared<std::atomic<bool>>(false);
    auto task = spawnDetached(Priority::utility, [ended]() -> Task<> {
      try {
        co_await sleepFor(1h);
      } catch (const CancellationError&) {
      }
      ended->store(true);
    });
    // Every other round the sleep is surely waiting on the clock; in the others it races the clock's end.
    if (round % 2 == 0) {
      ASSERT_TRUE(waitUntil([&] { return clock->pendingSleeps() == 1; }));
    }
    setClockForTesting(nullptr);
    clock.reset();
    task.cancel();
    ASSERT_TRUE(waitUntil([&] { return ended->load(); })) << "round " << round;
  }
}

TEST_F(SleepTest, SleepsOfAClockThatGoesNeverEndAndReachItNoMore) {
  auto clock = std::make_unique<VirtualClock>();
  setClockForTesting(clock.get());
  bool woke = false;
  auto task = spawn(main, [&woke]() -> Task<> {
    co_await sleepFor(1s);
    woke = true;
  });
  main.runUntilIdle();
  ASSERT_EQ(clock->pendingSleeps(), 1u);
  setClockForTesting(nullptr);
  clock.reset();
  main.runUntilIdle();
  EXPECT_FALSE(woke);
  task.cancel();  // reaches no clock
  main.runUntilIdle();
  EXPECT_FALSE(woke);
}

}  // namespace
