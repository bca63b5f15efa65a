#include "kit/foundation/value_boxes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <ranges>
#include <string>
#include <unordered_set>
#include <vector>

#include "kit/foundation/locks.h"
#include "support/threads.h"

using namespace kit;

namespace {

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

TEST(MutableBoxTest, EveryCopySeesEveryChange) {
  MutableBox<std::string> box("a");
  const MutableBox<std::string> copy = box;
  copy.wrappedValue() += "b";
  EXPECT_EQ(box.wrappedValue(), "ab");
  box.wrappedValue() = "c";
  EXPECT_EQ(copy.wrappedValue(), "c");
  EXPECT_EQ(box, MutableBox<std::string>("c")) << "equality is by value";
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

TEST(WeakBoxTest, CopiesShareOneReference) {
  auto alice = std::make_shared<Person>(Person{"Alice"});
  auto bob = std::make_shared<Person>(Person{"Bob"});
  WeakBox<Person> box(alice);
  const WeakBox<Person> copy = box;
  copy.setWrappedValue(bob);
  EXPECT_EQ(box.wrappedValue(), bob);
  box.setWrappedValue(nullptr);
  EXPECT_TRUE(copy.isEmpty());
  EXPECT_EQ(alice.use_count(), 1) << "a box never keeps its object";
}

TEST(WeakArrayTest, WalksEverySlotInOrderWithReleasedObjectsAsNull) {
  static_assert(std::ranges::random_access_range<WeakArray<Person>> && std::ranges::sized_range<WeakArray<Person>>);
  auto a = std::make_shared<Person>(Person{"a"}), b = std::make_shared<Person>(Person{"b"}),
       c = std::make_shared<Person>(Person{"c"});
  WeakArray<Person> array{a, b, c};
  b.reset();
  std::vector<std::string> names;
  for (const auto& person : array) names.push_back(person ? person->name : "-");
  EXPECT_EQ(names, (std::vector<std::string>{"a", "-", "c"}));
  EXPECT_EQ(std::ranges::count(array, nullptr), 1);
  EXPECT_EQ(*std::prev(array.end()), c);
  EXPECT_TRUE(WeakArray<Person>().empty());
}

struct Account {
  std::string number;
  int balance = 0;
  const std::string& id() const { return number; }
  bool operator==(const Account&) const = default;
};

TEST(BoxTest, BoxesHashTheirValueAndTakeItsIdentity) {
  std::unordered_set<Box<int>> boxes{Box<int>(1), Box<int>(1), Box<int>(2)};
  EXPECT_EQ(boxes.size(), 2u);

  int computed = 0;
  LazyBox<Account> lazy([&] { return Account{"L-1", ++computed}; });
  EXPECT_EQ(lazy.id(), AnyHashable(std::string("L-1")));
  EXPECT_EQ(lazy.id(), lazy.id());
  EXPECT_EQ(computed, 1) << "identity computes the value once";

  auto alice = std::make_shared<std::string>("Alice");
  WeakBox<std::string> full(alice), empty, emptied(std::make_shared<std::string>("Gone"));
  EXPECT_EQ(std::hash<WeakBox<std::string>>()(full), std::hash<std::string>()("Alice"));
  EXPECT_EQ(std::hash<WeakBox<std::string>>()(empty), std::hash<WeakBox<std::string>>()(emptied));
}

TEST(BoxTest, DescriptionsShowTheValuesStandardTextualForm) {
  EXPECT_EQ(Box<int>(5).debugDescription(), "Box(5)");
  EXPECT_EQ(MutableBox<int>(5).debugDescription(), "MutableBox(5)");
  EXPECT_EQ(Box<bool>(true).description(), "true");
  EXPECT_EQ(Box<double>(0.1 + 0.2).debugDescription(), "Box(0.30000000000000004)");
  EXPECT_EQ(Box<uint8_t>(65).description(), "65");
  EXPECT_EQ(Box<std::string>("x").debugDescription(), "Box(x)") << "the same text, without quotes";
  EXPECT_EQ(MutableBox<std::optional<int>>(5).description(), "Optional(5)");
  EXPECT_EQ(MutableBox<std::optional<int>>(std::nullopt).debugDescription(), "MutableBox(nil)");
  EXPECT_EQ(Box<std::vector<std::string>>({"a"}).description(), "[\"a\"]");
}

TEST(DeinitObserverTest, RunsItsClosureOnceWhenTheLastHolderLetsGo) {
  int calls = 0;
  auto observer = std::make_shared<DeinitObserver>([&] { ++calls; });
  auto holder = observer;
  observer.reset();
  EXPECT_EQ(calls, 0);
  holder.reset();
  EXPECT_EQ(calls, 1);
}

}  // namespace
