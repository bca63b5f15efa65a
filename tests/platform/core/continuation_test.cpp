#include "platform/core/continuation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "platform/core/task.h"
#include "support/manual_main_executor.h"

using namespace platform;

namespace {

class ContinuationTest : public ManualMainExecutorTest {};

TEST_F(ContinuationTest, ContinuationResumesOnceEvenWhenResumedTwice) {
  Continuation<int>* saved = nullptr;
  std::optional<Continuation<int>> keep;
  int result = 0;
  int resumes = 0;
  spawn(main, [&]() -> Task<> {
    result = co_await withContinuation<int>("test", [&](Continuation<int> c) { keep.emplace(c); });
    ++resumes;
  });
  main.runUntilIdle();
  saved = &*keep;
  saved->resume(7);
  saved->resume(8);
  main.runUntilIdle();
  EXPECT_EQ(result, 7);
  EXPECT_EQ(resumes, 1);
}

// A continuation resumed from several threads at once resumes its task exactly once.
TEST(ContinuationRaceTest, ConcurrentResumesResumeOnce) {
  for (int round = 0; round < 100; ++round) {
    std::atomic<int> resumedWith{0}, resumes{0};
    std::optional<Continuation<int>> shared;
    std::atomic<bool> ready{false};
    auto task = spawnDetached(Priority::unspecified, [&]() -> Task<> {
      int v = co_await withContinuation<int>("race", [&](Continuation<int> c) {
        shared.emplace(c);
        ready = true;
      });
      resumedWith = v;
      ++resumes;
    });
    while (!ready) std::this_thread::yield();
    std::vector<std::thread> resumers;
    for (int i = 1; i <= 4; ++i) resumers.emplace_back([&, i] { shared->resume(i); });
    for (auto& t : resumers) t.join();
    while (resumes == 0) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    EXPECT_EQ(resumes, 1);
    EXPECT_GE(resumedWith, 1);
  }
}

}  // namespace
