#include "kit/foundation/reentrancy_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(ReentrancyGuard, CallsDuringARunMakeOneMoreRunAfterItNeverANestedOne) {
  kit::ReentrancyGuard guard;
  std::vector<std::string> events;
  int runs = 0;
  std::function<void()> work = [&] {
    const int run = ++runs;
    events.push_back("start " + std::to_string(run));
    if (run == 1) {
      // Three requests from the nested loop of the first run collapse into one second run.
      for (int i = 0; i < 3; ++i) guard.run(work);
    }
    events.push_back("end " + std::to_string(run));
  };
  guard.run(work);
  EXPECT_EQ(events, (std::vector<std::string>{"start 1", "end 1", "start 2", "end 2"}));
  EXPECT_FALSE(guard.isRunning());

  // Once idle, the next call runs at once and only once.
  events.clear();
  guard.run(work);
  EXPECT_EQ(events, (std::vector<std::string>{"start 3", "end 3"}));
}

TEST(ReentrancyGuard, AThrowingRunLeavesTheGuardUsable) {
  kit::ReentrancyGuard guard;
  int runs = 0;
  std::function<void()> failing = [&] {
    ++runs;
    guard.run(failing);
    throw std::runtime_error("read failed");
  };
  EXPECT_THROW(guard.run(failing), std::runtime_error);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(guard.isRunning());
  bool ran = false;
  guard.run([&] { ran = true; });
  EXPECT_TRUE(ran);
}

}  // namespace
