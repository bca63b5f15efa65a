#include "kit/foundation/atomic_collections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ranges>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <unordered_map>
#include <vector>

using namespace kit;

namespace {

static_assert(std::ranges::input_range<AtomicDictionary<std::string, int>>);
static_assert(std::ranges::input_range<const AtomicSet<int>>);

// What the key subscript reads is const: a change made in place would change a copy and be lost.
using Counts = AtomicDictionary<std::string, int>;
using CountSubscript = decltype(std::declval<Counts&>()["a"]);
template <class T>
concept Resettable = requires(T value) {
  value.reset();
};
static_assert(std::is_const_v<std::remove_reference_t<decltype(*std::declval<CountSubscript>())>>);
static_assert(!Resettable<CountSubscript>);

TEST(ReadersWriterLockTest, AnUnnamedLockCarriesTheKitsLabel) {
  EXPECT_EQ(ReadersWriterLock().label(), "com.kestrova.readersWriterLock");
}

TEST(ReadersWriterLockTest, AWriteInsideABodyOfTheSameLockLandsWhenThatBodyEnds) {
  ReadersWriterLock lock;
  int value = 0;
  lock.read([&] {
    lock.write([&] { value = 1; });
    EXPECT_EQ(value, 0);
  });
  EXPECT_EQ(lock.read([&] { return value; }), 1);
  lock.write([&] {
    lock.write([&] { value *= 10; });
    value = 2;
  });
  EXPECT_EQ(lock.read([&] { return value; }), 20);
  lock.read([&] {
    lock.write([] { throw std::runtime_error("a queued write failed"); });
    lock.write([&] { value = 3; });
  });
  EXPECT_EQ(value, 3) << "a queued write that throws is reported and ends neither the program nor the writes after it";
  EXPECT_DEATH(lock.read([&] { lock.read([] {}); }), "waits for itself");

  AtomicDictionary<std::string, int> counts;
  counts.modify("a", [&](std::optional<int>& value) {
    counts.set("b", 2);
    value = 1;
  });
  EXPECT_EQ(counts.dictionary(), (std::unordered_map<std::string, int>{{"a", 1}, {"b", 2}}));
}

TEST(AtomicDictionaryTest, IterationWalksTheContentsAsTheyWereWhenItBegan) {
  AtomicDictionary<std::string, int> counts;
  counts.set("a", 1);
  counts.set("b", 2);
  auto it = counts.begin();
  counts.set("c", 3);
  counts.set("a", std::nullopt);
  std::vector<std::pair<std::string, int>> seen;
  for (; it != counts.end(); ++it) seen.emplace_back(it->first, it->second);
  std::ranges::sort(seen);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"a", 1}, {"b", 2}}));

  std::vector<std::string> keys;
  for (const auto& [key, value] : counts) keys.push_back(key);
  std::ranges::sort(keys);
  EXPECT_EQ(keys, (std::vector<std::string>{"b", "c"}));
}

TEST(AtomicSetTest, IterationWhileAnotherThreadInsertsSeesTheElementsOfItsStart) {
  AtomicSet<int> numbers;
  for (int v : {1, 2, 3}) numbers.insert(v);
  auto it = numbers.begin();
  std::thread writer([&] {
    for (int i = 10; i < 1000; ++i) numbers.insert(i);
  });
  std::vector<int> seen;
  for (; it != numbers.end(); ++it) seen.push_back(*it);
  writer.join();
  std::ranges::sort(seen);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(std::ranges::distance(numbers.begin(), numbers.end()), 993);
}

TEST(AtomicDictionaryTest, SubscriptAndMergeStoreWhatTheyAreGiven) {
  AtomicDictionary<std::string, int> counts;
  counts["a"] = 1;
  counts["b"] = 2;
  counts["c"] = counts["a"];
  EXPECT_EQ(counts.get("a"), 1);
  EXPECT_EQ(counts.get("c"), 1);
  counts["a"] = std::nullopt;
  EXPECT_EQ(counts["a"], std::nullopt);
  const auto& readOnly = counts;
  EXPECT_EQ(readOnly["b"], 2);

  counts.merge({});
  counts.merge({{"b", 20}, {"d", 4}});
  auto contents = counts.dictionary();
  EXPECT_EQ(contents, (std::unordered_map<std::string, int>{{"b", 20}, {"c", 1}, {"d", 4}}));
}

TEST(AtomicDictionaryTest, ConcurrentModifyLosesNoChange) {
  AtomicDictionary<std::string, int> counts;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) counts.modify("k", [](std::optional<int>& v) { v = v.value_or(0) + 1; });
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(counts.get("k"), 8000);
}

TEST(AtomicSetTest, EqualityTakesSeparateSnapshotsSoSelfComparisonAndConcurrentWritesCannotDeadlock) {
  AtomicSet<int> a, b;
  for (int v : {1, 2, 3}) a.insert(v);
  for (int v : {3, 1, 2}) b.insert(v);
  EXPECT_TRUE(a == b);
  EXPECT_EQ(std::hash<AtomicSet<int>>()(a), std::hash<AtomicSet<int>>()(b));
  b.insert(4);
  EXPECT_FALSE(a == b);
  EXPECT_NE(std::hash<AtomicSet<int>>()(a), std::hash<AtomicSet<int>>()(b));
  b.remove(4);
  EXPECT_TRUE(a == a);

  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; !stop; ++i) {
      a.insert(100 + i % 7);
      a.remove(100 + (i + 3) % 7);
    }
  });
  for (int i = 0; i < 2000; ++i) {
    (void)(a == a);
    (void)(a == b);
  }
  stop = true;
  writer.join();
}

TEST(AtomicCollectionsTest, DebugDescriptionsShowTheContentsAsADebuggerDoes) {
  AtomicDictionary<std::string, std::optional<std::string>> info;
  AtomicSet<std::string> names;
  EXPECT_EQ(info.debugDescription(), "[:]");
  EXPECT_EQ(names.debugDescription(), "Set([])");

  info.set("say", std::optional<std::string>("\"hi\"\n"));
  info.set("none", std::optional<std::optional<std::string>>(std::optional<std::string>()));
  names.insert("a\tb");
  names.insert("c");
  // Keys and texts quoted with escapes; the order is the storage's own, so compare either.
  const std::string dictionary = info.debugDescription();
  EXPECT_TRUE(dictionary == R"(["say": Optional("\"hi\"\n"), "none": nil])" ||
              dictionary == R"(["none": nil, "say": Optional("\"hi\"\n")])")
      << dictionary;
  const std::string set = names.debugDescription();
  EXPECT_TRUE(set == R"(Set(["a\tb", "c"]))" || set == R"(Set(["c", "a\tb"]))") << set;

  AtomicDictionary<int, double> numbers;
  numbers.set(1, 2.5);
  EXPECT_EQ(numbers.debugDescription(), "[1: 2.5]");
}

}  // namespace
