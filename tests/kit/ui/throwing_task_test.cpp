#include "kit/ui/throwing_task.h"

#include <gtest/gtest.h>

#include <memory>
#include <unordered_set>

#include "platform/core/sleep.h"
#include "support/manual_main_executor.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

class ThrowingTaskTest : public VirtualTimeTest {
 protected:
  std::function<void(std::exception_ptr)> binding() {
    return [this](std::exception_ptr error) { errors.push_back(std::move(error)); };
  }
  std::vector<std::exception_ptr> errors;
};

TEST_F(ThrowingTaskTest, AThrownErrorIsWrittenOnceAndSuccessWritesNothing) {
  QObject view;
  throwingTask(view, binding(), []() -> platform::Task<void> { co_return; });
  throwingTask(view, binding(), []() -> platform::Task<void> {
    co_await platform::sleepFor(1s);
    throw std::runtime_error("disk full");
  });
  main.runUntilIdle();
  EXPECT_TRUE(errors.empty());
  clock.advance(1s);
  main.runUntilIdle();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_THROW(std::rethrow_exception(errors[0]), std::runtime_error);
}

TEST_F(ThrowingTaskTest, TheViewGoingCancelsTheTaskAndHearsNothing) {
  auto view = std::make_unique<QObject>();
  bool ranToEnd = false;
  auto task = throwingTask(*view, binding(), [&]() -> platform::Task<void> {
    co_await platform::sleepFor(10s);
    ranToEnd = true;
  });
  main.runUntilIdle();
  view.reset();
  EXPECT_TRUE(task.isCancelled());
  main.runUntilIdle();
  EXPECT_FALSE(ranToEnd);
  EXPECT_TRUE(errors.empty()) << "the cancellation is not written into a view that is gone";
}

TEST_F(ThrowingTaskTest, OptionalsMapOnlyTheirValue) {
  int calls = 0;
  auto twice = [&](int value) -> platform::Task<int> {
    ++calls;
    co_return value * 2;
  };
  auto none = platform::spawn(main, [&] { return asyncMap(std::optional<int>(), twice); });
  auto some = platform::spawn(main, [&] { return asyncMap(std::optional<int>(21), twice); });
  auto flat = platform::spawn(main, [&] {
    return asyncFlatMap(std::optional<int>(5),
                        [](int) -> platform::Task<std::optional<int>> { co_return std::nullopt; });
  });
  main.runUntilIdle();
  std::optional<int> noneResult, someResult, flatResult = 0;
  platform::spawn(main, [&]() -> platform::Task<void> {
    noneResult = co_await none;
    someResult = co_await some;
    flatResult = co_await flat;
  });
  main.runUntilIdle();
  EXPECT_EQ(noneResult, std::nullopt);
  EXPECT_EQ(someResult, 42);
  EXPECT_EQ(flatResult, std::nullopt);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace kit
