#include "platform/core/sleep.h"

#include <gtest/gtest.h>

#include "platform/core/task.h"
#include "support/manual_main_executor.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

class SleepTest : public VirtualTimeTest {};

TEST_F(SleepTest, CancellingASleepingTaskEndsTheSleepWithCancellationError) {
  bool cancelled = false;
  auto task = spawn(main, [&]() -> Task<> {
    try {
      co_await sleepFor(1h);
    } catch (const CancellationError&) {
      cancelled = true;
    }
  });
  main.runUntilIdle();
  EXPECT_EQ(clock.pendingSleeps(), 1u);
  task.cancel();
  main.runUntilIdle();
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(clock.pendingSleeps(), 0u);  // the timer entry is gone too
}

}  // namespace
