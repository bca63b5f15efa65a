#include "engine/change_publisher.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "doubles/fake_workspace.h"
#include "platform/core/executor.h"
#include "support/event_loop.h"

// Every allocation of this program, counted: the watcher's tick that finds no change should make none.
namespace {
std::atomic<std::size_t> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace engine {
namespace {

using namespace std::chrono_literals;

// The program's main loop, counting the work posted to it.
class CountedMainLoop final : public platform::Executor {
 public:
  CountedMainLoop() : loop_(platform::mainExecutor()) { platform::setMainExecutorForTesting(this); }
  ~CountedMainLoop() override { platform::setMainExecutorForTesting(nullptr); }
  CountedMainLoop(const CountedMainLoop&) = delete;
  CountedMainLoop& operator=(const CountedMainLoop&) = delete;

  void post(std::function<void()> work) override {
    posts.fetch_add(1);
    loop_.post(std::move(work));
  }
  platform::Cancel postAfter(std::chrono::nanoseconds delay, std::function<void()> work) override {
    posts.fetch_add(1);
    return loop_.postAfter(delay, std::move(work));
  }

  std::atomic<int> posts{0};

 private:
  platform::Executor& loop_;
};

// A clipboard that never announces its changes: only the publisher's own samples can see them.
class SilentPasteboard final : public platform::Pasteboard {
 public:
  ~SilentPasteboard() override { endWeakHolds(); }
  std::atomic<int64_t> count{7};
  mutable std::atomic<int> samples{0};
  int64_t changeCount() const override {
    ++samples;
    return count.load();
  }
  std::vector<std::string> types() override { return {}; }
  std::optional<platform::Bytes> data(std::string_view) override { return std::nullopt; }
  std::vector<platform::PasteboardItem> items() override { return {}; }
  bool write(std::vector<platform::PasteboardEntry>, std::optional<int64_t>) override { return false; }
};

class ChangePublisherTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { eventloop::ensureCoreApplication(); }
  void SetUp() override { platform::Workspace::setSharedForTesting(&workspace); }
  void TearDown() override { platform::Workspace::setSharedForTesting(nullptr); }

  // Runs the main loop while the timer samples `ticks` more times.
  void letTicksPass(int ticks) {
    int target = pasteboard.samples + ticks;
    ASSERT_TRUE(eventloop::processEventsUntil([&] { return pasteboard.samples >= target; }));
  }

  CountedMainLoop main;
  platform::FakeWorkspace workspace;
  SilentPasteboard pasteboard;
  std::vector<int64_t> seen;
};

TEST_F(ChangePublisherTest, EachDistinctCountOnceStartingWithTheCountFoundAtSubscription) {
  auto token = changePublisher(pasteboard, 2ms, 1ms).sink([this](const platform::rx::Unit&) {
    seen.push_back(pasteboard.changeCount());
  });
  EXPECT_EQ(seen, std::vector<int64_t>{7}) << "the count at subscription comes first, for the watcher to judge";

  letTicksPass(10);
  EXPECT_EQ(seen, std::vector<int64_t>{7}) << "ticks without a change say nothing";

  pasteboard.count = 8;
  ASSERT_TRUE(eventloop::processEventsUntil([this] { return seen.size() == 2; }));
  letTicksPass(10);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8})) << "a change the timer finds, told once";

  pasteboard.count = 9;
  workspace.send(platform::ApplicationEvent::activate);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9})) << "an application event samples at once, without the timer";
  workspace.send(platform::ApplicationEvent::activate);
  letTicksPass(10);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9}));

  token.cancel();
  int samplesAtCancel = pasteboard.samples;
  pasteboard.count = 10;
  eventloop::processEventsUntil([] { return false; }, 50ms);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9})) << "nothing after cancelling";
  EXPECT_EQ(pasteboard.samples, samplesAtCancel) << "and no more ticks";
}

// The pasteboard is held weakly: a subscription that outlives it reads nothing of it, neither on the timer's thread
// (the pasteboard goes while the timer samples it) nor on the main thread.
TEST_F(ChangePublisherTest, APasteboardThatIsGoneYieldsNothing) {
  auto going = std::make_unique<SilentPasteboard>();
  int told = 0;
  auto token = changePublisher(*going, 1ms, 0ms).sink([&told](const platform::rx::Unit&) { ++told; });
  ASSERT_EQ(told, 1);
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return going->samples >= 20; }));
  going.reset();

  workspace.send(platform::ApplicationEvent::activate);
  eventloop::processEventsUntil([] { return false; }, 50ms);
  EXPECT_EQ(told, 1);
}

// Notes how many allocations the program had made, and how much work it had posted to the main loop, at each sample
// of its change count, in room kept beforehand.
class SampledPasteboard final : public platform::Pasteboard {
 public:
  ~SampledPasteboard() override { endWeakHolds(); }
  explicit SampledPasteboard(const CountedMainLoop& main) : main_(main) {}
  static constexpr std::size_t sampleCount = 40;
  mutable std::array<std::size_t, sampleCount> allocationsAtSample{};
  mutable std::array<int, sampleCount> postsAtSample{};
  mutable std::atomic<std::size_t> samples = 0;
  int64_t changeCount() const override {
    if (std::size_t n = samples.load(); n < sampleCount) {
      allocationsAtSample[n] = allocations.load();
      postsAtSample[n] = main_.posts.load();
      samples.store(n + 1);
    }
    return 7;
  }
  std::vector<std::string> types() override { return {}; }
  std::optional<platform::Bytes> data(std::string_view) override { return std::nullopt; }
  std::vector<platform::PasteboardItem> items() override { return {}; }
  bool write(std::vector<platform::PasteboardEntry>, std::optional<int64_t>) override { return false; }

 private:
  const CountedMainLoop& main_;
};

// The idle program wakes for nothing but this tick, twice a second: a tick that finds the clipboard as it was
// allocates nothing anywhere in the program, and leaves the main loop asleep.
TEST_F(ChangePublisherTest, AnUnchangedTickAllocatesNothingAndPostsNothingToTheMainLoop) {
  SampledPasteboard sampled(main);
  std::size_t told = 0;
  auto token = changePublisher(sampled, 1ms, 0ms).sink([&told](const platform::rx::Unit&) { ++told; });
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return sampled.samples == SampledPasteboard::sampleCount; }));
  token.cancel();

  EXPECT_EQ(told, 1U) << "only the count found at subscription is told";
  // The first few samples are the subscription's own, and ticks that may still settle the thread's bookkeeping.
  const std::size_t last = SampledPasteboard::sampleCount - 1;
  EXPECT_EQ(sampled.allocationsAtSample[last], sampled.allocationsAtSample[10])
      << "allocations in " << last - 10 << " unchanged ticks";
  EXPECT_EQ(sampled.postsAtSample[last], sampled.postsAtSample[10])
      << "work posted to the main loop in " << last - 10 << " unchanged ticks";
}

}  // namespace
}  // namespace engine
