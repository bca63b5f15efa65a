#pragma once

#include <atomic>
#include <chrono>
#include <coroutine>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/core/task.h"

namespace platform {

namespace detail {

struct SleepState {
  std::coroutine_handle<> handle;
  TaskContext context;
  std::atomic<bool> settled{false};
  bool cancelled = false;  // written by whoever settles, read after the resumption is posted
  std::mutex mutex;
  std::function<void()> removeTimer;  // set once the timer is scheduled
  bool timerUnwanted = false;         // cancelled before the timer was scheduled
};

void startSleep(const std::shared_ptr<SleepState>& state, std::chrono::nanoseconds duration);

struct SleepAwaiter {
  std::chrono::nanoseconds duration;
  std::shared_ptr<SleepState> state;

  bool await_ready() const noexcept { return false; }
  template <class P>
  void await_suspend(std::coroutine_handle<P> h) {
    state = std::make_shared<SleepState>();
    state->handle = h;
    state->context = h.promise().context;
    std::shared_ptr<SleepState> local = state;  // the task may resume before startSleep returns
    startSleep(local, duration);
  }
  void await_resume() const {
    if (state->cancelled) throw CancellationError();
  }
};

}  // namespace detail

// Suspends the current task for `duration` on CLOCK_BOOTTIME (time the system sleeps counts), or on the
// VirtualClock a test installed. Ends with CancellationError when the task is (or gets) cancelled.
inline detail::SleepAwaiter sleepFor(std::chrono::nanoseconds duration) { return {duration, nullptr}; }

}  // namespace platform
