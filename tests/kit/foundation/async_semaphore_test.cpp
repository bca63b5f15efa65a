#include "kit/foundation/async_semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/manual_main_executor.h"

using namespace platform;
using kit::AsyncSemaphore;

namespace {

class AsyncSemaphoreTest : public ManualMainExecutorTest {
 protected:
  // Whether a plain wait started now passes once the main executor is idle.
  bool plainWaitPasses(AsyncSemaphore& semaphore) {
    bool passed = false;
    spawn(main, [&]() -> Task<> {
      co_await semaphore.wait();
      passed = true;
    });
    main.runUntilIdle();
    return passed;
  }
};

TEST_F(AsyncSemaphoreTest, WaitersAreResumedFirstInFirstOut) {
  AsyncSemaphore semaphore(0);
  std::vector<std::string> order;
  for (std::string name : {"A", "B", "C"})
    spawn(main, [&, name]() -> Task<> {
      co_await semaphore.wait();
      order.push_back(name);
    });
  main.runUntilIdle();
  EXPECT_TRUE(order.empty());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(semaphore.signal());
  main.runUntilIdle();
  EXPECT_EQ(order, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_FALSE(semaphore.signal());  // nobody waits: the unit is kept for the next wait
  EXPECT_TRUE(plainWaitPasses(semaphore));
}

TEST_F(AsyncSemaphoreTest, CancelledWaiterLeavesTheListAndGivesItsUnitBack) {
  AsyncSemaphore semaphore(0);
  bool cancelled = false, secondPassed = false;
  auto first = spawn(main, [&]() -> Task<> {
    try {
      co_await semaphore.waitUnlessCancelled();
    } catch (const CancellationError&) {
      cancelled = true;
    }
  });
  spawn(main, [&]() -> Task<> {
    co_await semaphore.waitUnlessCancelled();
    secondPassed = true;
  });
  main.runUntilIdle();
  first.cancel();
  main.runUntilIdle();
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(semaphore.signal());  // spent on the second waiter, not on the cancelled one
  main.runUntilIdle();
  EXPECT_TRUE(secondPassed);
}

TEST_F(AsyncSemaphoreTest, AlreadyCancelledTaskTakesNoUnit) {
  for (int units : {0, 1}) {
    AsyncSemaphore semaphore(units);
    bool threw = false;
    auto task = spawn(main, [&]() -> Task<> {
      try {
        co_await semaphore.waitUnlessCancelled();
      } catch (const CancellationError&) {
        threw = true;
      }
    });
    task.cancel();
    main.runUntilIdle();
    EXPECT_TRUE(threw) << units;
    // The count is what it was: with one unit a plain wait passes, with none signal() finds no waiter.
    if (units == 1) {
      EXPECT_TRUE(plainWaitPasses(semaphore));
    } else {
      EXPECT_FALSE(semaphore.signal());
    }
  }
}

TEST_F(AsyncSemaphoreTest, PlainWaitIgnoresCancellation) {
  AsyncSemaphore semaphore(0);
  bool passed = false;
  auto task = spawn(main, [&]() -> Task<> {
    co_await semaphore.wait();
    passed = true;
  });
  main.runUntilIdle();
  task.cancel();
  main.runUntilIdle();
  EXPECT_FALSE(passed);
  semaphore.signal();
  main.runUntilIdle();
  EXPECT_TRUE(passed);
}

// A cancellation racing a signal must settle the waiter exactly once and keep the count balanced:
// either the signal resumed it (and the count is back to zero) or the cancellation did (and the signal's
// unit is still there for the next waiter).
TEST(AsyncSemaphoreRaceTest, CancellationRacingSignalResumesOnceAndKeepsTheCountBalanced) {
  ManualExecutor probeExecutor;
  for (int round = 0; round < 300; ++round) {
    auto semaphore = std::make_shared<AsyncSemaphore>(0);
    auto settled = std::make_shared<std::atomic<int>>(0);
    auto gotUnit = std::make_shared<std::atomic<bool>>(false);
    auto waiter = spawnDetached(Priority::unspecified, [semaphore, settled, gotUnit]() -> Task<> {
      try {
        co_await semaphore->waitUnlessCancelled();
        *gotUnit = true;
      } catch (const CancellationError&) {
      }
      ++*settled;
    });
    std::this_thread::sleep_for(std::chrono::microseconds(round % 3 == 0 ? 0 : 100));
    std::atomic<bool> signalled{false};
    std::thread signaller([&] { signalled = semaphore->signal(); });
    std::thread canceller([&] { waiter.cancel(); });
    signaller.join();
    canceller.join();
    while (settled->load() == 0) std::this_thread::yield();
    if (signalled) {
      EXPECT_TRUE(gotUnit->load()) << "round " << round;  // a true signal resumed this waiter
    }

    // A probe passes at once exactly when the signal's unit was not spent on the waiter.
    bool probePassed = false;
    spawn(probeExecutor, [semaphore, &probePassed]() -> Task<> {
      co_await semaphore->wait();
      probePassed = true;
    });
    probeExecutor.runUntilIdle();
    EXPECT_EQ(probePassed, !gotUnit->load()) << "round " << round;
    if (!probePassed) {
      EXPECT_TRUE(semaphore->signal());
      probeExecutor.runUntilIdle();
      EXPECT_TRUE(probePassed);
    }
    EXPECT_EQ(settled->load(), 1);
  }
}

}  // namespace
