#include "kit/foundation/expiring_cache.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/core/clock.h"

namespace {

using namespace std::chrono_literals;

class ExpiringCache : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClockForTesting(&clock);
    kit::resetExpiringCacheForTesting();
  }
  void TearDown() override {
    kit::resetExpiringCacheForTesting();
    platform::setClockForTesting(nullptr);
  }

  // One call site, so that every call shares its entries.
  int lookup(const std::string& argument) {
    return kit::memoize(1s, {kit::AnyHashable(argument)}, [&] { return ++runs; });
  }
  template <class T>
  T typed(T value) {
    return kit::memoize(1s, {kit::AnyHashable(1)}, [&] { return value; });
  }

  // The clock outlives the test: a cleanup the cache started on the thread pool may still be reaching it after
  // TearDown.
  static platform::VirtualClock& programClock() {
    static platform::VirtualClock clock;
    return clock;
  }
  platform::VirtualClock& clock = programClock();
  int runs = 0;
};

TEST_F(ExpiringCache, AnswersFromTheCacheStrictlyWithinTheLifetime) {
  EXPECT_EQ(lookup("a"), 1);
  clock.advance(500ms);
  EXPECT_EQ(lookup("a"), 1);
  EXPECT_EQ(lookup("b"), 2);  // other arguments, other entry
  clock.advance(500ms);       // exactly stamp + lifetime: no longer valid
  EXPECT_EQ(lookup("a"), 3);
  clock.advance(1500ms);
  EXPECT_EQ(lookup("a"), 4);
  EXPECT_EQ(runs, 4);
}

TEST_F(ExpiringCache, RemembersEmptyAnswersAndKeepsCallSitesAndResultTypesApart) {
  int calls = 0;
  auto negative = [&] {
    return kit::memoize(1s, {kit::AnyHashable(std::string("x"))}, [&]() -> std::optional<int> {
      ++calls;
      return std::nullopt;
    });
  };
  EXPECT_EQ(negative(), std::nullopt);
  EXPECT_EQ(negative(), std::nullopt);
  EXPECT_EQ(calls, 1);

  // Same arguments at another call site.
  EXPECT_EQ(kit::memoize(1s, {kit::AnyHashable(std::string("a"))}, [] { return 100; }), 100);
  EXPECT_EQ(lookup("a"), 1);
  // Two call sites on one line.
  const auto both = std::pair{kit::memoize(1s, {}, [] { return 1; }), kit::memoize(1s, {}, [] { return 2; })};
  EXPECT_EQ(both, std::pair(1, 2));
  // One call site used with two result types.
  EXPECT_EQ(typed<int>(7), 7);
  EXPECT_EQ(typed<std::string>("seven"), "seven");
  EXPECT_EQ(typed<int>(8), 7);
}

TEST_F(ExpiringCache, SweepsAtOnceOnTheSecondCallThenSchedulesADelayedSweep) {
  lookup("old");  // first call: no maintenance
  EXPECT_EQ(kit::expiringCacheStorage().keys().size(), 1u);
  clock.advance(2s);
  lookup("new");  // second call: immediate sweep, "old" expired
  EXPECT_EQ(kit::expiringCacheStorage().keys().size(), 1u);

  lookup("third");  // skipped
  clock.advance(3s);
  lookup("fourth");  // within 60 s of the sweep: a delayed sweep is scheduled
  EXPECT_EQ(kit::expiringCacheStorage().keys().size(), 3u);
  for (int i = 0; i < 500 && clock.pendingSleeps() == 0; ++i) std::this_thread::sleep_for(10ms);
  clock.advance(9s);
  EXPECT_EQ(kit::expiringCacheStorage().keys().size(), 3u);
  clock.advance(1s);
  // The delayed sweep runs on the thread pool once its sleep ends.
  for (int i = 0; i < 500 && kit::expiringCacheStorage().keys().size() != 0; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(kit::expiringCacheStorage().keys().size(), 0u);
}

TEST_F(ExpiringCache, AnEndlessLifetimeKeepsTheEntry) {
  for (kit::Duration lifetime : {kit::Duration::max(), kit::durations::days(250 * 365)}) {
    kit::resetExpiringCacheForTesting();
    runs = 0;
    auto remembered = [&] { return kit::memoize(lifetime, {}, [&] { return ++runs; }); };
    EXPECT_EQ(remembered(), 1);
    clock.advance(1s);
    EXPECT_EQ(remembered(), 1);  // the second call also sweeps
    kit::cleanUpExpiringCache(lifetime);
    EXPECT_EQ(kit::expiringCacheStorage().keys().size(), 1u);
  }
}

TEST_F(ExpiringCache, ConcurrentCallersShareOneStore) {
  std::vector<std::thread> threads;
  std::atomic<int> total{0};
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        total += kit::memoize(1s, {kit::AnyHashable(i % 10), kit::AnyHashable(t % 2)}, [&] { return i % 10; });
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(total.load(), 8 * 20 * 45);
}

}  // namespace
