#include "kit/ui/animation_delegate.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QVariantAnimation>

namespace kit {
namespace {

TEST(ZvCAAnimationDelegate, ReportsStartAndWhetherTheAnimationRanToItsEnd) {
  std::vector<std::string> events;
  auto watch = [&](QVariantAnimation& animation) {
    auto* delegate = new ZvCAAnimationDelegate(animation);
    delegate->didStartHandler = [&] { events.push_back("start"); };
    delegate->didStopHandler = [&](bool finished) { events.push_back(finished ? "finished" : "stopped"); };
  };
  QVariantAnimation complete;
  complete.setStartValue(0.0);
  complete.setEndValue(1.0);
  complete.setDuration(20);
  watch(complete);
  complete.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return complete.state() == QAbstractAnimation::Stopped; }));

  QVariantAnimation interrupted;
  interrupted.setStartValue(0.0);
  interrupted.setEndValue(1.0);
  interrupted.setDuration(10000);
  watch(interrupted);
  interrupted.start();
  interrupted.stop();
  EXPECT_EQ(events, (std::vector<std::string>{"start", "finished", "start", "stopped"}));
}

}  // namespace
}  // namespace kit
