#include "platform/core/deadline_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace platform;
using namespace std::chrono_literals;

namespace {

TEST(DeadlineQueueTest, HandsOutDueWorkEarliestFirstTiesInOrderAndSkipsCancelled) {
  DeadlineQueue queue;
  std::string order;
  queue.schedule(20ns, [&] { order += "c"; });
  queue.schedule(10ns, [&] { order += "a"; });
  auto cancelled = queue.schedule(10ns, [&] { order += "x"; });
  queue.schedule(10ns, [&] { order += "b"; });
  queue.schedule(30ns, [&] { order += "d"; });
  queue.cancel(cancelled);
  EXPECT_EQ(queue.earliestDeadline(), 10ns);

  EXPECT_FALSE(queue.takeDue(9ns));
  while (auto due = queue.takeDue(20ns)) due->work();
  EXPECT_EQ(order, "abc");
  EXPECT_EQ(queue.size(), 1u);
  EXPECT_EQ(queue.earliestDeadline(), 30ns);
}

TEST(DeadlineQueueTest, ClosingReleasesTheWaitingWorkAndWhatComesLater) {
  DeadlineQueue queue;
  auto captured = std::make_shared<int>(0);
  queue.schedule(1ns, [captured] {});
  queue.close();
  queue.schedule(1ns, [captured] {});
  EXPECT_EQ(captured.use_count(), 1);
  EXPECT_FALSE(queue.takeDue(1h));
}

TEST(DeadlineTimerTest, RunsWorkAtItsDeadlineInDeadlineOrderUnlessCancelled) {
  std::mutex mutex;
  std::vector<int> ran;
  std::atomic<bool> last{false};
  auto record = [&](int n) {
    return [&, n] {
      std::lock_guard lock(mutex);
      ran.push_back(n);
    };
  };
  auto& timer = DeadlineTimer::monotonic();
  timer.scheduleAfter(30ms, record(3));
  auto cancelled = timer.scheduleAfter(10ms, record(0));
  timer.scheduleAfter(20ms, record(2));
  timer.scheduleAfter(0ms, record(1));
  timer.scheduleAfter(40ms, [&] { last = true; });
  timer.scheduleAfter(std::chrono::nanoseconds::max(), record(4));  // beyond the clock's range: never
  timer.cancel(cancelled);
  for (int i = 0; i < 10'000 && !last; ++i) std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(last);
  std::lock_guard lock(mutex);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

}  // namespace
