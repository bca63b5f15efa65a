#include "kit/foundation/observable_value.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/manual_main_executor.h"

namespace {

namespace rx = platform::rx;

class ObservableValueTest : public ManualMainExecutorTest {};

TEST_F(ObservableValueTest, AnnouncesEachWriteBeforeItAndFollowsItsSourceUntilReleased) {
  rx::PassthroughSubject<int> source;
  auto value = std::make_unique<kit::ObservableValue<int>>(0, source.publisher());
  std::vector<std::string> events;
  auto c = value->objectWillChange.publisher().sink(
      [&](const rx::Unit&) { events.push_back("willChange from " + std::to_string(value->wrappedValue())); });
  value->setWrappedValue(1);
  source.send(2);
  main.runUntilIdle();
  EXPECT_EQ(value->wrappedValue(), 2);
  EXPECT_EQ(events, (std::vector<std::string>{"willChange from 0", "willChange from 1"}));

  source.send(3);
  value.reset();  // the queued value must not reach the released holder
  main.runUntilIdle();
  EXPECT_EQ(events.size(), 2u);
}

class Thermostat : public QObject {
  Q_OBJECT
  Q_PROPERTY(int level READ level WRITE setLevel NOTIFY levelChanged)

 public:
  int level() const { return level_; }
  void setLevel(int level) {
    level_ = level;
    Q_EMIT levelChanged();
  }
  Q_SIGNAL void levelChanged();

 private:
  int level_ = 18;
};

TEST_F(ObservableValueTest, KeyValueObservableFollowsAPropertyThroughItsChangeSignal) {
  auto thermostat = std::make_unique<Thermostat>();
  kit::KVOObservable<int> level(thermostat.get(), "level");
  EXPECT_TRUE(level.isObserving());
  EXPECT_EQ(level.value(), 18);
  std::vector<int> seenBeforeChange;
  auto c = level.objectWillChange.publisher().sink([&](const rx::Unit&) { seenBeforeChange.push_back(level.value()); });
  thermostat->setLevel(21);
  thermostat->setLevel(19);
  EXPECT_EQ(level.value(), 19);
  EXPECT_EQ(seenBeforeChange, (std::vector<int>{18, 21}));

  thermostat.reset();
  EXPECT_EQ(level.value(), 19) << "the last value stays when the object goes";

  // A subscription the holder keeps lives exactly as long as it.
  rx::PassthroughSubject<int> readings;
  std::vector<int> received;
  auto holder = std::make_unique<kit::KVOObservable<int>>(nullptr, "level");
  holder->cancellable = readings.publisher().sink([&](const int& value) { received.push_back(value); });
  readings.send(1);
  holder.reset();
  readings.send(2);
  EXPECT_EQ(received, (std::vector<int>{1}));
  EXPECT_FALSE(kit::KVOObservable<int>(nullptr, "level").isObserving());
  Thermostat other;
  EXPECT_FALSE(kit::KVOObservable<int>(&other, "missing").isObserving());

  // The holder keeps the property's name, not the caller's text.
  std::string name = "level";
  kit::KVOObservable<int> followed(&other, name.c_str());
  name.replace(0, name.size(), "other");
  other.setLevel(25);
  EXPECT_EQ(followed.value(), 25);
}

}  // namespace

#include "observable_value_test.moc"
