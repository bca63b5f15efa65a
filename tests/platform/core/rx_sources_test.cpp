#include "platform/core/rx_sources.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
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

// Delivers delayed work late, as a busy main loop does, and remembers the tolerances it was given.
class LateExecutor final : public Executor {
 public:
  void post(std::function<void()> work) override { inner.post(std::move(work)); }
  Cancel postAfter(std::chrono::nanoseconds delay, std::function<void()> work) override {
    return inner.postAfter(delay + lateness, std::move(work));
  }
  Cancel postAfterTolerating(std::chrono::nanoseconds delay, std::chrono::nanoseconds tolerance,
                             std::function<void()> work) override {
    tolerances.push_back(tolerance);
    return postAfter(delay, std::move(work));
  }
  std::chrono::nanoseconds now() const override { return inner.now(); }

  ManualExecutor inner;
  std::chrono::nanoseconds lateness{0};
  std::vector<std::chrono::nanoseconds> tolerances;
};

TEST(TimerPublisher, LateTicksDoNotPushTheLaterOnesBackAndMissedTicksAreDropped) {
  LateExecutor executor;
  setMainExecutorForTesting(&executor);
  executor.lateness = 10ms;
  std::vector<std::chrono::milliseconds> times;
  auto record = [&](const Unit&) {
    times.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(executor.now()));
  };
  auto c = timerPublisher(100ms, 20ms).sink(record);
  executor.inner.advance(350ms);
  EXPECT_EQ(times, (std::vector<std::chrono::milliseconds>{110ms, 210ms, 310ms}));
  EXPECT_EQ(executor.tolerances, (std::vector<std::chrono::nanoseconds>(4, 20ms)));
  c.cancel();

  // A tick delivered after the next one was due: the missed tick is skipped, not made up for.
  times.clear();
  executor.lateness = 250ms;
  auto start = executor.now();
  auto d = timerPublisher(100ms).sink(record);
  executor.inner.advance(700ms);
  EXPECT_EQ(times, (std::vector<std::chrono::milliseconds>{
                       std::chrono::duration_cast<std::chrono::milliseconds>(start + 350ms),
                       std::chrono::duration_cast<std::chrono::milliseconds>(start + 650ms)}));
  d.cancel();
  setMainExecutorForTesting(nullptr);
}

// Waits at most ten seconds for `done`; answers it.
template <class F>
bool waitFor(F done) {
  for (int i = 0; i < 10'000 && !done(); ++i) std::this_thread::sleep_for(1ms);
  return done();
}

TEST_F(SourcesTest, SampledChangesComeToTheMainExecutorOnlyForAReadThatDiffersAndNotAfterCancel) {
  std::atomic<std::int64_t> value{7};
  std::atomic<int> reads{0};
  auto read = [&] {
    ++reads;
    return value.load();
  };
  int ticks = 0;
  auto c = sampledChanges(1ms, 0ns, read).sink([&](const Unit&) { ++ticks; });
  EXPECT_EQ(reads, 1) << "the value found on subscribe is what the reads compare with";
  ASSERT_TRUE(waitFor([&] { return reads >= 10; }));
  EXPECT_EQ(main.runUntilIdle(), 0U) << "reads that find the value as it was post nothing";

  value = 8;
  ASSERT_TRUE(waitFor([&] { return main.hasPendingWork(); }));
  int readsAtChange = reads;
  ASSERT_TRUE(waitFor([&] { return reads >= readsAtChange + 10; }));
  EXPECT_EQ(main.runUntilIdle(), 1U) << "a change is posted once";
  EXPECT_EQ(ticks, 1);

  // A change posted before the subscription ends reaches nobody after it.
  value = 9;
  ASSERT_TRUE(waitFor([&] { return main.hasPendingWork(); }));
  c.cancel();
  int readsAtCancel = reads;
  main.runUntilIdle();
  value = 10;
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(reads, readsAtCancel) << "no read after cancel() returned";
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
