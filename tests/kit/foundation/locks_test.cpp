#include "kit/foundation/locks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/threads.h"

using namespace kit;

namespace {

TEST(OnceTest, RunsTheFirstClosureOnlyAndConcurrentCallersShareItsResult) {
  Once<std::string> once;
  std::atomic<int> runs{0};
  std::vector<std::string> results(8);
  std::atomic<int> slot{0};
  onThreads(8, [&] {
    auto r = once.run([&] {
      ++runs;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return std::string("first");
    });
    results[slot++] = r;
  });
  EXPECT_EQ(runs, 1);
  for (const auto& r : results) EXPECT_EQ(r, "first");
  EXPECT_EQ(once.run([] { return std::string("second"); }), "first");

  Once<void> plain;
  int calls = 0;
  plain.run([&] { ++calls; });
  plain.run([&] { ++calls; });
  EXPECT_EQ(calls, 1);
}

TEST(LockIsolatedTest, FailuresKeepWhatTheOperationWroteButNotWhatAProducerFailedToMake) {
  auto isolated = LockIsolated<std::vector<int>>::make([] { return std::vector<int>{1}; });
  EXPECT_THROW(isolated->withValue([](std::vector<int>& v) {
    v.push_back(2);
    throw std::runtime_error("after the change");
  }),
               std::runtime_error);
  EXPECT_EQ(isolated->value(), (std::vector<int>{1, 2}));

  EXPECT_THROW(isolated->setValue([]() -> std::vector<int> { throw std::runtime_error("no value"); }),
               std::runtime_error);
  EXPECT_EQ(isolated->value(), (std::vector<int>{1, 2}));

  // Re-entry on the same thread is allowed.
  EXPECT_EQ(isolated->withLock([&] { return isolated->value().size(); }), 2u);

  EXPECT_THROW(LockIsolated<int>::make([]() -> int { throw std::runtime_error("cannot make"); }), std::runtime_error);
}

}  // namespace
