#include "kit/foundation/actor_isolated.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace kit;

namespace {

// Many tasks changing one actor-isolated value concurrently lose no change, and a failing operation keeps its
// change as with LockIsolated.
TEST(ActorIsolatedTest, ConcurrentChangesAreSerialisedOnTheActor) {
  auto counter = ActorIsolated<int>::make([] { return 0; });
  std::vector<platform::Task<>> tasks;
  for (int i = 0; i < 50; ++i)
    tasks.push_back(platform::spawnDetached(platform::Priority::unspecified, [counter]() -> platform::Task<> {
      for (int j = 0; j < 20; ++j) co_await counter->withValue([](int& v) { ++v; });
    }));
  std::atomic<int> result{-1};
  auto reader = platform::spawnDetached(platform::Priority::unspecified, [&, counter, tasks]() -> platform::Task<> {
    for (const auto& t : tasks) co_await t;
    auto failing = counter->withValue([](int& v) -> int {
      v += 1000;
      throw std::runtime_error("after the change");
    });
    try {
      co_await failing;
    } catch (const std::runtime_error&) {
    }
    result = co_await counter->value();
  });
  while (result.load() < 0) std::this_thread::yield();
  EXPECT_EQ(result.load(), 2000);

  EXPECT_THROW(ActorIsolated<int>::make([]() -> int { throw std::runtime_error("cannot make"); }), std::runtime_error);
}

}  // namespace
