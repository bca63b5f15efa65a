#include "kit/ui/with_change_publisher.h"

#include <gtest/gtest.h>

#include "support/manual_main_executor.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

TEST(WithChangePublisher, SubscribesAtTheFirstChangeAndSeesEveryChange) {
  int subscriptions = 0;
  std::vector<int> seen;
  WithChangePublisher<int> watcher(1, [&](platform::rx::Publisher<int> changes) {
    ++subscriptions;
    return changes.sink([&](const int& value) { seen.push_back(value); });
  });
  watcher.setValue(1);
  EXPECT_EQ(subscriptions, 0) << "the same value is no change";
  watcher.setValue(2);
  watcher.setValue(3);
  watcher.setValue(2);
  EXPECT_EQ(subscriptions, 1);
  EXPECT_EQ(seen, (std::vector<int>{2, 3, 2}));
}

class WithDelayedValueTest : public ManualMainExecutorTest {
 protected:
  struct Shown {
    std::string value;
    bool animated;
    bool operator==(const Shown&) const = default;
  };
  WithDelayedValue<std::string> make(std::chrono::nanoseconds delay) {
    return WithDelayedValue<std::string>(
        "start", delay, ViewAnimation{},
        [this](const std::string& value, const std::optional<ViewAnimation>& animation) {
          shown.push_back({value, animation.has_value()});
        },
        main);
  }
  std::vector<Shown> shown;
};

TEST_F(WithDelayedValueTest, ShowsOnlyTheLastOfQuickChangesAfterTheDelay) {
  auto delayed = make(200ms);
  EXPECT_EQ(shown, (std::vector<Shown>{{"start", false}})) << "the starting value at once";
  delayed.setValue("a");
  main.advance(100ms);
  delayed.setValue("b");
  main.advance(199ms);
  EXPECT_EQ(delayed.effectiveValue(), "start");
  main.advance(1ms);
  EXPECT_EQ(delayed.effectiveValue(), "b");

  delayed.setValue("c");
  main.advance(50ms);
  delayed.setValue("b");  // back to what is shown
  main.advance(200ms);
  EXPECT_EQ(shown, (std::vector<Shown>{{"start", false}, {"b", true}, {"b", true}}));
}

TEST_F(WithDelayedValueTest, ThePipelineKeepsTheDelayOfTheFirstChange) {
  auto delayed = make(0ms);
  delayed.setValue("a");
  main.advance(0ms);
  EXPECT_EQ(delayed.effectiveValue(), "a") << "a zero delay shows it on the next pass";

  delayed.delay = 1s;
  delayed.animation.reset();
  delayed.setValue("b");
  main.advance(0ms);
  EXPECT_EQ(shown.back(), (Shown{"b", true}));
}

}  // namespace
}  // namespace kit
