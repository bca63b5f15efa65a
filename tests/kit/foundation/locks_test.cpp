#include "kit/foundation/locks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "json_test_support.h"
#include "kit/foundation/unchecked_sendable.h"
#include "kit/foundation/value_wrappers.h"
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

// A copy of the handle is the same lock: a thread locking through the copy waits while the original is held.
TEST(OSAllocatedUnfairLockTest, CopiesShareOneLockThatAThrowingBodyReleases) {
  OSAllocatedUnfairLock lock;
  const OSAllocatedUnfairLock copy = lock;
  std::atomic<bool> enteredThroughCopy{false};
  std::thread other;
  lock.withLock([&] {
    other = std::thread([&] { copy.withLock([&] { enteredThroughCopy = true; }); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(enteredThroughCopy);
  });
  other.join();
  EXPECT_TRUE(enteredThroughCopy);

  EXPECT_THROW(lock.withLock([]() -> int { throw std::runtime_error("inside"); }), std::runtime_error);
  EXPECT_EQ(copy.withLock([] { return 7; }), 7);
}

TEST(Once2Test, RunsItsClosureOnceAndDropsItUnrunWhenReleased) {
  int calls = 0;
  auto tracked = std::make_shared<int>(0);
  {
    Once2 queued([&calls, tracked] { ++calls; });
    EXPECT_EQ(queued.state(), Once2::State::queued);
  }
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(tracked.use_count(), 1) << "the released cell let its closure go";

  Once2 once([&calls, tracked] { ++calls; });
  once.run();
  once.run();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(once.state(), Once2::State::executed);
  EXPECT_EQ(tracked.use_count(), 1) << "the closure goes once it has run";
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

TEST(SimpleOnceTest, EqualAndHashedByIdentityOnly) {
  SimpleOnce<int> first([] { return 1; }), second([] { return 1; });
  EXPECT_EQ(first.value(), second.value());
  EXPECT_FALSE(first == second);
  std::hash<SimpleOnce<int>> hash;
  EXPECT_EQ(hash(first), std::hash<const void*>()(&first));
  EXPECT_NE(hash(first), hash(second));
}

TEST(UncheckedSendableTest, ComparesHashesAndCodesAsItsValue) {
  using Tagged = Identified<std::string, int>;
  EXPECT_EQ(UncheckedSendable<int>{3}, UncheckedSendable<int>{3});
  std::unordered_set<UncheckedSendable<std::string>> set{{"a"}, {"a"}, {"b"}};
  EXPECT_EQ(set.size(), 2u);

  EXPECT_EQ(jsonText(encodeJson(UncheckedSendable<int>{5})), "5");
  UncheckedSendable<Tagged> tagged{Tagged("t", 1)};
  EXPECT_EQ(jsonText(encodeJson(tagged)), R"({"id":"t","value":1})");
  EXPECT_EQ(roundTrip(tagged), tagged);
  EXPECT_EQ(decodingFailure<UncheckedSendable<Tagged>>(R"({"id":"t"})").kind(), DecodingError::Kind::keyNotFound);
}

}  // namespace
