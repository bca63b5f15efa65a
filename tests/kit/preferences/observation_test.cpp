#include <gtest/gtest.h>

#include <QObject>
#include <thread>

#include "kit/preferences/observable.h"
#include "kit/preferences/publishers.h"
#include "support/preference_files.h"

using namespace kit::Preferences;
using platform::PlistValue;
using platform::Task;

namespace {

class ObservationTest : public ::testing::Test {
 protected:
  platform::ManualExecutor& main = prefs_test::testMainExecutor();
  prefs_test::TemporaryConfigHome home;
  std::shared_ptr<UserDefaults> suite = UserDefaults::named(prefs_test::uniqueSuiteName());
  Key<int> count{"count", 5, *suite};
  Key<bool> flag{"flag", false, *suite};
};

TEST_F(ObservationTest, InitialAndPriorOptionsShapeTheCallbacks) {
  std::vector<KeyChange<int>> seen;
  auto handler = [&](const KeyChange<int>& c) { seen.push_back(c); };
  {
    auto observation = observe(count, {ObservationOption::initial, ObservationOption::prior}, handler);
    ASSERT_EQ(seen.size(), 1u);  // the current value, at once
    EXPECT_EQ(seen[0].newValue, 5);
    set(count, 6);
    EXPECT_EQ(seen.size(), 2u);  // `initial` drops `prior`
  }
  seen.clear();
  auto observation = observe(count, {ObservationOption::prior}, handler);
  set(count, 7);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].isPrior);
  EXPECT_EQ(seen[0].newValue, 5);  // a prior notification has no new value: the default stands in
  EXPECT_EQ(seen[0].oldValue, 6);
  EXPECT_EQ(seen[1].newValue, 7);
  count.reset();
  EXPECT_EQ(seen.back().newValue, 5);  // removal reads as the default
  suite->set("count", "not a number");
  EXPECT_EQ(seen.back().newValue, 5);  // so does a value that does not convert

  observation->invalidate();
  observation->invalidate();
  std::size_t before = seen.size();
  set(count, 8);
  EXPECT_EQ(seen.size(), before);
}

// One callback for several keys, of one suite or of several: the untyped records as the suites report them.
TEST_F(ObservationTest, AnObservationOfSeveralKeysReportsEachOfThemUntilInvalidated) {
  auto elsewhere = UserDefaults::named(prefs_test::uniqueSuiteName());
  Key<int> remote{"count", 1, *elsewhere};
  std::vector<BaseChange> seen;
  auto observation = observe({&count, &flag, &remote}, {}, [&](const BaseChange& c) { seen.push_back(c); });
  set(count, 6);
  set(flag, true);
  set(remote, 2);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].newValue, PlistValue(int64_t{6}));
  EXPECT_EQ(seen[1].newValue, PlistValue(true));
  EXPECT_EQ(seen[1].oldValue, PlistValue(false)) << "the registered default was shown before";
  EXPECT_EQ(seen[2].newValue, PlistValue(int64_t{2}));
  flag.reset();
  EXPECT_EQ(seen.back().newValue, PlistValue(false)) << "a removal shows the registered default again";

  observation->invalidate();
  set(count, 7);
  set(remote, 3);
  EXPECT_EQ(seen.size(), 4u);

  seen.clear();
  auto initial =
      observe({&count, &flag}, {ObservationOption::initial}, [&](const BaseChange& c) { seen.push_back(c); });
  EXPECT_EQ(seen.size(), 2u) << "each key reports its current value once";
}

TEST_F(ObservationTest, ATiedObservationLivesAsLongAsItsOwner) {
  int calls = 0;
  auto owner = std::make_unique<QObject>();
  observe(count, {}, [&](const KeyChange<int>&) { ++calls; })->tieToLifetime(owner.get());
  set(count, 1);  // kept alive by the owner alone
  EXPECT_EQ(calls, 1);
  owner.reset();
  set(count, 2);
  EXPECT_EQ(calls, 1);

  auto other = std::make_unique<QObject>();
  auto observation = observe(count, {}, [&](const KeyChange<int>&) { ++calls; });
  observation->tieToLifetime(other.get()).removeLifetimeTie();
  other.reset();
  set(count, 3);
  EXPECT_EQ(calls, 2);  // untied: the owner's end no longer ends it
}

TEST_F(ObservationTest, SuppressionSilencesOnlyTheWritingThread) {
  std::atomic<int> calls{0};
  auto observation = observe(count, {}, [&](const KeyChange<int>&) { ++calls; });
  suppressingObservationCallbacks([&] {
    set(count, 1);
    std::thread other([&] { set(count, 2); });
    other.join();
  });
  EXPECT_EQ(calls, 1);
  set(count, 3);
  EXPECT_EQ(calls, 2);
}

TEST_F(ObservationTest, APublisherDeliversTheCurrentValueOnSubscribeAndNothingAfterCancel) {
  std::vector<int> values;
  auto subscription = changePublisher(count).sink([&](const KeyChange<int>& c) { values.push_back(c.newValue); });
  EXPECT_EQ(values, std::vector<int>{5});
  set(count, 6);
  set(count, 6);  // equal values are not filtered
  EXPECT_EQ(values, (std::vector<int>{5, 6, 6}));
  subscription.cancel();
  set(count, 7);
  EXPECT_EQ(values.size(), 3u);

  bool finished = false;
  int signals = 0;
  auto none = publisher({}).sink([&](const rx::Unit&) { ++signals; }, [&] { finished = true; });
  EXPECT_TRUE(finished);
  EXPECT_EQ(signals, 0);

  auto both = publisher({&count, &flag}).sink([&](const rx::Unit&) { ++signals; });
  set(count, 1);
  set(flag, true);
  EXPECT_EQ(signals, 2);
}

// A publisher keeps its suite: one that nobody else holds still delivers its value and its changes, each a setting.
TEST_F(ObservationTest, APublisherKeepsItsSuiteAlive) {
  const std::string name = prefs_test::uniqueSuiteName();
  std::optional<rx::Publisher<BaseChange>> changes;
  {
    auto only = UserDefaults::named(name);
    only->set("k", 1);
    changes = preferencesPublisher(only, "k", {ObservationOption::initial});
  }
  std::vector<BaseChange> seen;
  auto subscription = changes->sink([&](const BaseChange& c) { seen.push_back(c); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].newValue, PlistValue(1));
  UserDefaults::named(name)->set("k", 2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].newValue, PlistValue(2));
  EXPECT_EQ(seen[1].oldValue, PlistValue(1));
  for (const auto& change : seen) {
    EXPECT_EQ(change.kind, ChangeKind::setting);
    EXPECT_FALSE(change.indexes);
  }
}

TEST_F(ObservationTest, ValueStreamsYieldEveryValueAndEndWithTheirConsumer) {
  std::vector<int> late, live;
  auto lateStream = valueStream(count, true);
  set(count, 6);  // before anyone reads: buffered, nothing lost
  auto lateTask = platform::spawn(main, [&, s = lateStream]() -> Task<> {
    while (auto v = co_await s.next()) late.push_back(*v);
  });
  auto liveTask = platform::spawn(main, [&]() -> Task<> {
    auto s = valueStream(count, false);
    while (auto v = co_await s.next()) live.push_back(*v);
  });
  main.runUntilIdle();
  EXPECT_EQ(late, (std::vector<int>{5, 6}));
  EXPECT_TRUE(live.empty());
  count.reset();
  main.runUntilIdle();
  EXPECT_EQ(late, (std::vector<int>{5, 6, 5}));
  EXPECT_EQ(live, std::vector<int>{5});

  bool ended = false;
  auto ending = platform::spawn(main, [&]() -> Task<> {
    auto s = valueStream(count, true);
    while (co_await s.next()) {
    }
    ended = true;
  });
  main.runUntilIdle();
  ending.cancel();
  lateTask.cancel();
  liveTask.cancel();
  main.runUntilIdle();
  EXPECT_TRUE(ended);
  set(count, 9);
  main.runUntilIdle();
  EXPECT_EQ(late.size(), 3u);
}

TEST_F(ObservationTest, AChangeStreamSignalsOnceInitiallyThenPerChange) {
  int signals = 0;
  auto task = platform::spawn(main, [&]() -> Task<> {
    auto s = changeStream({&count, &flag}, true);
    while (co_await s.next()) ++signals;
  });
  main.runUntilIdle();
  EXPECT_EQ(signals, 1);
  set(count, 1);
  set(flag, true);
  main.runUntilIdle();
  EXPECT_EQ(signals, 3);
  task.cancel();
  main.runUntilIdle();
}

TEST_F(ObservationTest, AnObservableAnnouncesBeforeItsOwnWritesAndStopsWhenReleased) {
  auto observable = Observable<int>::make(count);
  std::vector<int> seenInHandler;
  auto subscription =
      observable->objectWillChange().sink([&](const rx::Unit&) { seenInHandler.push_back(get(count)); });
  main.runUntilIdle();
  EXPECT_EQ(seenInHandler, std::vector<int>{5});  // the initial announcement

  observable->setValue(8);
  EXPECT_EQ(seenInHandler, (std::vector<int>{5, 5}));  // announced before the value changed
  main.runUntilIdle();
  EXPECT_EQ(seenInHandler, (std::vector<int>{5, 5, 8}));  // and once more after it did
  EXPECT_EQ(observable->value(), 8);

  auto publisherOnly = observable->objectWillChange();
  observable.reset();
  main.runUntilIdle();
  set(count, 2);
  main.runUntilIdle();
  EXPECT_EQ(seenInHandler.size(), 3u);
}

}  // namespace
