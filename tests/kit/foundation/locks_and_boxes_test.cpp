#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "kit/foundation/actor_isolated.h"
#include "kit/foundation/locks.h"
#include "kit/foundation/value_boxes.h"

using namespace kit;

namespace {

template <class F>
void onThreads(int count, F body) {
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) threads.emplace_back(body);
  for (auto& t : threads) t.join();
}

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

TEST(LazyBoxTest, ProducerRunsOnceEvenUnderConcurrentFirstReads) {
  std::atomic<int> runs{0};
  LazyBox<std::string> never([&] {
    ++runs;
    return std::string("unused");
  });
  EXPECT_EQ(runs, 0);

  LazyBox<std::string> box([&] {
    ++runs;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return std::string("value");
  });
  std::vector<std::string> seen(6);
  std::atomic<int> slot{0};
  onThreads(6, [&] { seen[slot++] = box.get(); });
  EXPECT_EQ(runs, 1);
  for (const auto& s : seen) EXPECT_EQ(s, "value");
}

TEST(LockedValueBoxTest, CopiesShareOneValueAndConcurrentChangesAreNotLost) {
  LockedValueBox<int> box(0);
  LockedValueBox<int> copy = box;
  onThreads(4, [&] {
    for (int i = 0; i < 1000; ++i) copy.withLock([](int& v) { ++v; });
  });
  EXPECT_EQ(box.withLock([](int& v) { return v; }), 4000);
}

struct Person {
  std::string name;
  bool operator==(const Person&) const = default;
  bool operator<(const Person& o) const { return name < o.name; }
};

TEST(WeakBoxTest, ReleasedObjectReadsAsEmptyEverywhere) {
  auto alice = std::make_shared<Person>(Person{"Alice"});
  WeakBox<Person> box(alice);
  WeakBox<Person> empty;
  EXPECT_EQ(box.get(&Person::name), "Alice");
  box.set(&Person::name, std::optional<std::string>("Alicia"));
  EXPECT_EQ(alice->name, "Alicia");
  box.set(&Person::name, std::optional<std::string>());  // none writes nothing
  EXPECT_EQ(alice->name, "Alicia");
  EXPECT_FALSE(box == empty);

  WeakArray<Person> array{alice, std::make_shared<Person>(Person{"Gone"})};
  alice.reset();
  EXPECT_TRUE(box.isEmpty());
  EXPECT_EQ(box.get(&Person::name), std::nullopt);
  EXPECT_TRUE(box == empty);
  EXPECT_FALSE(box < empty);
  EXPECT_FALSE(empty < box);
  EXPECT_EQ(array.size(), 2u);
  EXPECT_EQ(array[0], nullptr);
}

TEST(BoxTest, DescriptionsAndRelease) {
  EXPECT_EQ(Box<int>(5).debugDescription(), "Box(5)");
  EXPECT_EQ(MutableBox<int>(5).debugDescription(), "MutableBox(5)");
  int calls = 0;
  {
    auto observer = std::make_shared<DeinitObserver>([&] { ++calls; });
    auto second = observer;
  }
  EXPECT_EQ(calls, 1);

  int once2Calls = 0;
  {
    Once2 unrun([&] { ++once2Calls; });
  }
  EXPECT_EQ(once2Calls, 0);
}

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
}

}  // namespace
