#include "platform/core/executor.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/continuation.h"
#include "platform/core/sleep.h"
#include "platform/core/task.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

// Runs the real Qt loop of this thread until `done` or a generous limit.
template <class Pred>
bool spinUntil(Pred done, std::chrono::milliseconds limit = 5000ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limit.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

class MainExecutorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "executor_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
};

TEST_F(MainExecutorTest, RunsWorkInPostingOrderOnALaterLoopTurnOnTheMainThread) {
  std::vector<int> order;
  std::atomic<bool> offMain{false};
  mainExecutor().post([&] {
    order.push_back(1);
    mainExecutor().post([&] { order.push_back(4); });  // queued behind what is already waiting
  });
  mainExecutor().post([&] { order.push_back(2); });
  std::thread([&] {
    mainExecutor().post([&] {
      order.push_back(3);
      offMain = QThread::currentThread() != QCoreApplication::instance()->thread();
    });
  }).join();
  EXPECT_TRUE(order.empty());
  ASSERT_TRUE(spinUntil([&] { return order.size() == 4; }));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_FALSE(offMain);
}

TEST_F(MainExecutorTest, DelayedWorkRunsAfterItsDelayInDeadlineOrderUnlessCancelled) {
  std::vector<std::string> order;
  auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::duration firstAfter{};
  mainExecutor().postAfter(60ms, [&] { order.push_back("late"); });
  mainExecutor().postAfter(20ms, [&] {
    order.push_back("early");
    firstAfter = std::chrono::steady_clock::now() - start;
  });
  auto cancelled = mainExecutor().postAfter(10ms, [&] { order.push_back("cancelled"); });
  cancelled.cancel();
  std::thread([&] { mainExecutor().postAfter(30ms, [&] { order.push_back("from thread"); }); }).join();
  ASSERT_TRUE(spinUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, (std::vector<std::string>{"early", "from thread", "late"}));
  EXPECT_GE(firstAfter, 20ms);
}

TEST_F(MainExecutorTest, DelaysBeyondQtsLimitDoNotWrap) {
  const auto wrapping = std::chrono::milliseconds((int64_t{1} << 32) + 100);  // 100 ms in 32 bits
  bool ran = false;
  Cancel all[] = {mainExecutor().postAfter(wrapping, [&] { ran = true; }),
                  mainExecutor().postAfterTolerating(wrapping, wrapping / 5, [&] { ran = true; }),
                  mainExecutor().postRepeating(wrapping, 0ms, [&] { ran = true; })};
  spinUntil([] { return false; }, 300ms);
  EXPECT_FALSE(ran);
  for (auto& token : all) token.cancel();
}

TEST_F(MainExecutorTest, RepeatingWorkRunsEveryIntervalUntilCancelled) {
  int runs = 0;
  Cancel repeating = mainExecutor().postRepeating(10ms, 1ms, [&] { ++runs; });
  ASSERT_TRUE(spinUntil([&] { return runs == 3; }));
  repeating.cancel();
  spinUntil([] { return false; }, 50ms);
  EXPECT_EQ(runs, 3);
}

TEST_F(MainExecutorTest, TaskOnMainResumesOnTheMainThreadWhateverThreadResumesIt) {
  std::vector<bool> onMain;
  bool done = false;
  auto isMain = [] { return QThread::currentThread() == QCoreApplication::instance()->thread(); };
  spawn(mainExecutor(), [&]() -> Task<> {
    onMain.push_back(isMain());
    co_await withContinuation<void>("from a thread",
                                    [](Continuation<void> c) { std::thread([c] { c.resume(); }).detach(); });
    onMain.push_back(isMain());
    co_await sleepFor(5ms);  // the timer thread ends the sleep
    onMain.push_back(isMain());
    done = true;
  });
  ASSERT_TRUE(spinUntil([&] { return done; }));
  EXPECT_EQ(onMain, (std::vector<bool>{true, true, true}));
}

// The pool starts its threads as work comes: work that waits for other work still finds a thread for each, up to
// one per processor.
TEST(GlobalExecutorTest, RunsAsManyItemsAtOnceAsThereAreProcessors) {
  struct Meeting {
    std::mutex mutex;
    std::condition_variable changed;
    unsigned arrived = 0, met = 0;
  };
  const unsigned wanted = std::max(2u, std::thread::hardware_concurrency());
  auto meeting = std::make_shared<Meeting>();  // outlives the test if some item is late
  for (unsigned i = 0; i < wanted; ++i)
    globalExecutor().post([meeting, wanted] {
      std::unique_lock lock(meeting->mutex);
      ++meeting->arrived;
      meeting->changed.notify_all();
      if (meeting->changed.wait_for(lock, 10s, [&] { return meeting->arrived == wanted; })) ++meeting->met;
      meeting->changed.notify_all();
    });
  std::unique_lock lock(meeting->mutex);
  EXPECT_TRUE(meeting->changed.wait_for(lock, 20s, [&] { return meeting->met == wanted; }))
      << meeting->arrived << " arrived, " << meeting->met << " met, of " << wanted;
}

TEST(SerialExecutorTest, RunsOneItemAtATimeInOrderOnThePool) {
  SerialExecutor serial(globalExecutor());
  std::mutex mutex;
  std::vector<int> order;
  std::atomic<int> running{0}, maxRunning{0}, finished{0};
  for (int i = 0; i < 200; ++i)
    serial.post([&, i] {
      int now = ++running;
      maxRunning = std::max(maxRunning.load(), now);
      {
        std::lock_guard lock(mutex);
        order.push_back(i);
      }
      --running;
      ++finished;
    });
  while (finished < 200) std::this_thread::yield();
  EXPECT_EQ(maxRunning, 1);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(order[i], i);
}

TEST(ManualExecutorTest, AdvanceRunsDelayedWorkAtItsDeadlineWithTheWorkItPosts) {
  ManualExecutor executor;
  std::vector<std::string> log;
  executor.postAfter(2s, [&] { log.push_back("2s at " + std::to_string(executor.now().count() / 1'000'000'000)); });
  executor.postAfter(1s, [&] {
    log.push_back("1s");
    executor.post([&] { log.push_back("posted by 1s"); });
    executor.postAfter(500ms, [&] { log.push_back("1.5s"); });
  });
  executor.advance(1999ms);
  EXPECT_EQ(log, (std::vector<std::string>{"1s", "posted by 1s", "1.5s"}));
  executor.advance(1ms);
  EXPECT_EQ(log.back(), "2s at 2");
  EXPECT_FALSE(executor.hasPendingWork());

  int runs = 0;
  executor.postAfter(std::chrono::nanoseconds::max(), [&] { ++runs; });  // beyond the clock's range: never
  Cancel repeating = executor.postRepeating(1s, 0s, [&] { ++runs; });
  executor.advance(3500ms);
  EXPECT_EQ(runs, 3);
  repeating.cancel();
  executor.advance(5s);
  EXPECT_EQ(runs, 3);
}

}  // namespace
