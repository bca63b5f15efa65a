#include "kit/ui/animation_delegate.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QVariantAnimation>

namespace kit {
namespace {

TEST(ZvCAAnimationDelegate, ReportsStartAndWhetherTheAnimationRanToItsEnd) {
  std::vector<std::string> events;
  auto watch = [&](QVariantAnimation& animation, int duration) {
    animation.setStartValue(0.0);
    animation.setEndValue(1.0);
    animation.setDuration(duration);
    auto* delegate = new ZvCAAnimationDelegate(animation);
    delegate->didStartHandler = [&] { events.push_back("start"); };
    delegate->didStopHandler = [&](bool finished) { events.push_back(finished ? "finished" : "stopped"); };
    animation.start();
  };
  QVariantAnimation complete, backward, interrupted;
  watch(complete, 20);
  ASSERT_TRUE(QTest::qWaitFor([&] { return complete.state() == QAbstractAnimation::Stopped; }));
  backward.setDirection(QAbstractAnimation::Backward);
  watch(backward, 20);
  ASSERT_TRUE(QTest::qWaitFor([&] { return backward.state() == QAbstractAnimation::Stopped; }));
  watch(interrupted, 10000);
  interrupted.stop();
  EXPECT_EQ(events, (std::vector<std::string>{"start", "finished", "start", "finished", "start", "stopped"}));

  // A handler may delete its animation, and the delegate with it, and go on.
  auto* released = new QVariantAnimation;
  auto* delegate = new ZvCAAnimationDelegate(*released);
  delegate->didStopHandler = [released, &events, text = std::string("released with its animation")](bool) {
    delete released;
    events.push_back(text);
  };
  released->start();
  released->stop();
  EXPECT_EQ(events.back(), "released with its animation");
}

}  // namespace
}  // namespace kit
