#include "engine/change_publisher.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
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

// A clipboard that never announces its changes: only the publisher's own samples can see them.
class SilentPasteboard final : public platform::Pasteboard {
 public:
  int64_t count = 7;
  int64_t changeCount() const override { return count; }
  std::vector<std::string> types() override { return {}; }
  std::optional<platform::Bytes> data(std::string_view) override { return std::nullopt; }
  std::vector<platform::PasteboardItem> items() override { return {}; }
  bool write(std::vector<platform::PasteboardEntry>, std::optional<int64_t>) override { return false; }
};

class ChangePublisherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setMainExecutorForTesting(&main);
    platform::Workspace::setSharedForTesting(&workspace);
  }
  void TearDown() override {
    platform::Workspace::setSharedForTesting(nullptr);
    platform::setMainExecutorForTesting(nullptr);
  }

  platform::ManualExecutor main;
  platform::FakeWorkspace workspace;
  SilentPasteboard pasteboard;
  std::vector<int64_t> seen;
};

TEST_F(ChangePublisherTest, EachDistinctCountOnceStartingWithTheCountFoundAtSubscription) {
  auto token = changePublisher(pasteboard, 500ms, 200ms).sink([this](const platform::rx::Unit&) {
    seen.push_back(pasteboard.changeCount());
  });
  EXPECT_EQ(seen, std::vector<int64_t>{7}) << "the count at subscription comes first, for the watcher to judge";

  main.advance(2s);
  EXPECT_EQ(seen, std::vector<int64_t>{7}) << "ticks without a change say nothing";

  pasteboard.count = 8;
  main.advance(600ms);
  main.advance(2s);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8})) << "a change the timer finds, told once";

  pasteboard.count = 9;
  workspace.send(platform::ApplicationEvent::activate);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9})) << "an application event samples at once, without the timer";
  workspace.send(platform::ApplicationEvent::activate);
  main.advance(2s);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9}));

  token.cancel();
  pasteboard.count = 10;
  main.advance(2s);
  EXPECT_EQ(seen, (std::vector<int64_t>{7, 8, 9})) << "nothing after cancelling";
}

// Notes how many allocations the program had made at each sample of its change count, in room kept beforehand.
class SampledPasteboard final : public platform::Pasteboard {
 public:
  mutable std::array<std::size_t, 40> allocationsAtSample{};
  mutable std::size_t samples = 0;
  int64_t changeCount() const override {
    if (samples < allocationsAtSample.size()) allocationsAtSample[samples++] = allocations.load();
    return 7;
  }
  std::vector<std::string> types() override { return {}; }
  std::optional<platform::Bytes> data(std::string_view) override { return std::nullopt; }
  std::vector<platform::PasteboardItem> items() override { return {}; }
  bool write(std::vector<platform::PasteboardEntry>, std::optional<int64_t>) override { return false; }
};

// The idle program wakes for nothing but this tick, twice a second: on the real main loop, a tick that finds the
// clipboard as it was allocates nothing, here or in the loop.
TEST(ChangePublisherTick, AnUnchangedTickAllocatesNothing) {
  eventloop::ensureCoreApplication();
  platform::FakeWorkspace workspace;
  platform::Workspace::setSharedForTesting(&workspace);
  SampledPasteboard pasteboard;
  std::size_t told = 0;
  auto token = changePublisher(pasteboard, 1ms, 0ms).sink([&told](const platform::rx::Unit&) { ++told; });
  const std::size_t wanted = pasteboard.allocationsAtSample.size();
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return pasteboard.samples == wanted; }));
  token.cancel();
  platform::Workspace::setSharedForTesting(nullptr);

  EXPECT_EQ(told, 1U) << "only the count found at subscription is told";
  // The first few ticks may still settle the loop's own bookkeeping.
  EXPECT_EQ(pasteboard.allocationsAtSample[wanted - 1], pasteboard.allocationsAtSample[10])
      << "allocations in " << wanted - 11 << " unchanged ticks";
}

}  // namespace
}  // namespace engine
