#include "platform/core/task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/continuation.h"
#include "platform/core/sleep.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

class TaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setMainExecutorForTesting(&main);
    setClockForTesting(&clock);
  }
  void TearDown() override {
    main.runUntilIdle();
    setMainExecutorForTesting(nullptr);
    setClockForTesting(nullptr);
  }
  ManualExecutor main;
  VirtualClock clock;
};

Task<int> answerAfter(std::chrono::nanoseconds delay) {
  co_await sleepFor(delay);
  co_return 42;
}

TEST_F(TaskTest, SpawnedTaskStartsOnItsExecutorAndResumesThere) {
  std::vector<std::string> log;
  auto task = spawn(main, [&]() -> Task<int> {
    log.push_back("start");
    int v = co_await answerAfter(1s);
    log.push_back("after sleep");
    co_return v + 1;
  });
  EXPECT_TRUE(log.empty());  // not before the executor runs
  main.runUntilIdle();
  EXPECT_EQ(log, std::vector<std::string>{"start"});
  clock.advance(999ms);
  main.runUntilIdle();
  EXPECT_EQ(log.size(), 1u);
  clock.advance(1ms);
  EXPECT_EQ(log.size(), 1u);  // the resumption is posted, not run by the clock
  main.runUntilIdle();
  EXPECT_EQ(log.back(), "after sleep");

  int result = 0;
  spawn(main, [&]() -> Task<> { result = co_await task; });
  main.runUntilIdle();
  EXPECT_EQ(result, 43);
}

TEST_F(TaskTest, CancellingASleepingTaskEndsTheSleepWithCancellationError) {
  bool cancelled = false;
  auto task = spawn(main, [&]() -> Task<> {
    try {
      co_await answerAfter(1h);
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

TEST_F(TaskTest, ContinuationResumesOnceEvenWhenResumedTwice) {
  Continuation<int>* saved = nullptr;
  std::optional<Continuation<int>> keep;
  int result = 0;
  int resumes = 0;
  spawn(main, [&]() -> Task<> {
    result = co_await withContinuation<int>("test", [&](Continuation<int> c) { keep.emplace(c); });
    ++resumes;
  });
  main.runUntilIdle();
  saved = &*keep;
  saved->resume(7);
  saved->resume(8);
  main.runUntilIdle();
  EXPECT_EQ(result, 7);
  EXPECT_EQ(resumes, 1);
}

}  // namespace
