#include "platform/core/timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <vector>

using namespace std::chrono_literals;

namespace {

std::chrono::nanoseconds monotonicNow() { return std::chrono::steady_clock::now().time_since_epoch(); }

class TimerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "timer_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
  void TearDown() override { platform::setLongestTimerStepForTesting(0ms); }

  // Runs the loop until `done` or the time is up.
  template <class Pred>
  static void spinUntil(Pred done, std::chrono::milliseconds limit) {
    for (auto end = monotonicNow() + limit; !done() && monotonicNow() < end;)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
};

// Qt's limit shortened to 10 ms: a 35 ms wait and a 25 ms interval take several steps each.
TEST_F(TimerTest, AWaitLongerThanOneQtTimerEndsAtItsDeadline) {
  platform::setLongestTimerStepForTesting(10ms);
  const auto start = monotonicNow();
  std::vector<std::chrono::nanoseconds> once, repeated;
  auto* single = new platform::Timer;
  single->setSingleShot(true);
  single->setInterval(35ms);
  single->onTimeout([&] { once.push_back(monotonicNow() - start); });
  single->schedule();
  QPointer<platform::Timer> released(single);
  platform::Timer repeating;
  repeating.setInterval(25ms);
  repeating.onTimeout([&] {
    repeated.push_back(monotonicNow() - start);
    if (repeated.size() == 3) repeating.stop();
  });
  repeating.start();
  spinUntil([&] { return released.isNull() && repeated.size() == 3; }, 5000ms);
  ASSERT_EQ(once.size(), 1u);
  EXPECT_GE(once[0], 35ms);
  EXPECT_TRUE(released.isNull());  // the loop let go of it once it fired
  ASSERT_EQ(repeated.size(), 3u);
  for (std::size_t run = 0; run < 3; ++run) EXPECT_GE(repeated[run], 25ms * (run + 1));
}

TEST_F(TimerTest, WaitsBeyondQtsLimitDoNotWrap) {
  bool fired = false;
  platform::Timer wrapping, month;
  wrapping.setInterval(std::chrono::milliseconds((int64_t{1} << 32) + 100));  // 100 ms in 32 bits
  month.setInterval(std::chrono::days(30));
  for (auto* timer : {&wrapping, &month}) {
    timer->onTimeout([&] { fired = true; });
    timer->start();
    EXPECT_TRUE(timer->isActive());
  }
  spinUntil([] { return false; }, 300ms);
  EXPECT_FALSE(fired);
}

}  // namespace
