#include "kit/foundation/reactive_observables.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <type_traits>
#include <vector>

#include "support/manual_main_executor.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

class ReactiveObservablesTest : public ManualMainExecutorTest {};

struct Model : kit::ObservableObject {
  kit::PublishedUnique<int> count{0, this};
};
// A copied or moved model would announce through the original, and read it once it is gone.
static_assert(!std::is_copy_constructible_v<Model> && !std::is_move_constructible_v<Model>);
static_assert(!std::is_move_assignable_v<Model> && !std::is_move_constructible_v<kit::PublishedUnique<int>>);

TEST_F(ReactiveObservablesTest, PublishedUniqueAnnouncesBeforeAndOnlyOnRealChanges) {
  Model model;
  std::vector<std::string> events;
  auto willChange = model.objectWillChange.publisher().sink(
      [&](const rx::Unit&) { events.push_back("willChange(old=" + std::to_string(model.count.get()) + ")"); });
  auto values = model.count.publisher().sink([&](const int& v) { events.push_back("value " + std::to_string(v)); });
  model.count.set(0);
  model.count.set(1);
  model.count.modify([](int& v) { v += 0; });
  EXPECT_EQ(events, (std::vector<std::string>{"value 0", "willChange(old=0)", "value 1"}));
}

TEST_F(ReactiveObservablesTest, ListenOnlyObservableAnnouncesOnTheMainExecutor) {
  rx::PassthroughSubject<rx::Unit> source;
  kit::ListenOnlyPublisherObservable observable(source.publisher());
  int announcements = 0;
  auto c = observable.objectWillChange.publisher().sink([&](const rx::Unit&) { ++announcements; });
  std::thread([&] { source.send(rx::Unit{}); }).join();
  EXPECT_EQ(announcements, 0);  // not on the sending thread
  main.runUntilIdle();
  EXPECT_EQ(announcements, 1);

  auto second = std::make_unique<kit::ListenOnlyPublisherObservable2>(source.publisher());
  auto d = second->objectWillChange.publisher().sink([&](const rx::Unit&) { ++announcements; });
  second.reset();
  source.send(rx::Unit{});
  main.runUntilIdle();
  EXPECT_EQ(announcements, 2) << "only the first still listens once the second is released";
}

TEST_F(ReactiveObservablesTest, ViewTimerFlipsEveryIntervalUntilDestroyed) {
  auto timer = std::make_unique<kit::ViewTimer>(1s);
  std::vector<bool> values;
  main.advance(1s);
  values.push_back(timer->value());
  main.advance(1s);
  values.push_back(timer->value());
  EXPECT_EQ(values, (std::vector<bool>{true, false}));
  timer.reset();
  main.advance(5s);
  EXPECT_FALSE(main.hasPendingWork());
}

TEST_F(ReactiveObservablesTest, AsyncSequenceValueShowsTheDefaultThenTheLatestAndKeepsItAfterTheEnd) {
  kit::PassthroughAsyncSequence<int> numbers;
  std::optional<kit::AsyncSequenceValue<int>> value;
  spawn(main, [&] { value.emplace(numbers, -1); });
  main.runUntilIdle();
  EXPECT_EQ(value->wrappedValue(), -1);
  numbers.send(1);
  numbers.send(2);
  main.runUntilIdle();
  EXPECT_EQ(value->wrappedValue(), 2);
  numbers.finish();
  main.runUntilIdle();
  EXPECT_EQ(value->wrappedValue(), 2);
}

}  // namespace
