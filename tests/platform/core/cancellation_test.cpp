#include "platform/core/cancellation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/core/continuation.h"
#include "platform/core/task.h"
#include "support/manual_main_executor.h"

using namespace platform;

namespace {

class CancellationTest : public ManualMainExecutorTest {};

TEST_F(CancellationTest, HandlersRunOnceAndALateHandlerIsLeftToTheCaller) {
  CancellationState state;
  int calls = 0;
  auto id = state.addHandler([&] { ++calls; });
  ASSERT_TRUE(id);
  auto removed = state.addHandler([&] { calls += 100; });
  state.removeHandler(*removed);
  state.cancel();
  state.cancel();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(state.addHandler([&] { ++calls; }), std::nullopt);  // already cancelled: the caller runs it inline
}

TEST_F(CancellationTest, AwaitedCoroutinesShareTheCancellationOfTheirTask) {
  std::optional<Continuation<void>> pending;
  bool sawCancellation = false, threw = false;
  auto inner = [&]() -> Task<> {
    co_await withContinuation<void>("inner", [&](Continuation<void> c) { pending.emplace(c); });
    sawCancellation = currentTaskIsCancelled();
    checkCancellation();
  };
  auto task = spawn(main, [&]() -> Task<> {
    try {
      co_await inner();
    } catch (const CancellationError&) {
      threw = true;
    }
  });
  main.runUntilIdle();
  task.cancel();
  pending->resume();
  main.runUntilIdle();
  EXPECT_TRUE(sawCancellation);
  EXPECT_TRUE(threw);
}

TEST_F(CancellationTest, HandlerRunsInlineWhenAlreadyCancelledOtherwiseOnTheCancellingThread) {
  std::vector<std::string> log;
  std::optional<Continuation<void>> pending;
  auto operation = [&]() -> Task<> {
    log.push_back("operation");
    co_await withContinuation<void>("op", [&](Continuation<void> c) { pending.emplace(c); });
  };
  auto onCancel = [&] { log.push_back("handler"); };
  auto early = spawn(main, [&]() -> Task<> { co_await withTaskCancellationHandler(operation, onCancel); });
  early.cancel();
  main.runUntilIdle();
  EXPECT_EQ(log, (std::vector<std::string>{"handler", "operation"}));
  pending->resume();
  main.runUntilIdle();

  log.clear();
  pending.reset();
  std::thread::id handlerThread;
  auto recordThread = [&] {
    log.push_back("handler");
    handlerThread = std::this_thread::get_id();
  };
  auto later = spawn(main, [&]() -> Task<> { co_await withTaskCancellationHandler(operation, recordThread); });
  main.runUntilIdle();
  std::thread canceller([&] { later.cancel(); });
  std::thread::id cancellerThread = canceller.get_id();
  canceller.join();
  EXPECT_EQ(log, (std::vector<std::string>{"operation", "handler"}));
  EXPECT_EQ(handlerThread, cancellerThread);
  pending->resume();
  main.runUntilIdle();
}

}  // namespace
