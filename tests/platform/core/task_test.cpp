#include "platform/core/task.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/sleep.h"
#include "support/manual_main_executor.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

class TaskTest : public VirtualTimeTest {};

Task<int> answerAfter(std::chrono::nanoseconds delay) {
  co_await sleepFor(delay);
  co_return 42;
}

TEST_F(TaskTest, SpawnedTaskStartsOnItsExecutorAndResumesThere) {
  std::vector<std::string> log;
  auto task = spawn(main, [&]() -> Task<int> {
    log.push_back("start");
    int v = co_await answerAfter(1s);
    log.push_back("after sleep");
    co_return v + 1;
  });
  EXPECT_TRUE(log.empty());  // not before the executor runs
  main.runUntilIdle();
  EXPECT_EQ(log, std::vector<std::string>{"start"});
  clock.advance(999ms);
  main.runUntilIdle();
  EXPECT_EQ(log.size(), 1u);
  clock.advance(1ms);
  EXPECT_EQ(log.size(), 1u);  // the resumption is posted, not run by the clock
  main.runUntilIdle();
  EXPECT_EQ(log.back(), "after sleep");

  int result = 0;
  spawn(main, [&]() -> Task<> { result = co_await task; });
  main.runUntilIdle();
  EXPECT_EQ(result, 43);
}

}  // namespace
