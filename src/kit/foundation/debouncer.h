#pragma once

#include <functional>
#include <mutex>

#include "kit/foundation/durations.h"
#include "platform/core/executor.h"

namespace kit {

// Runs the newest work item given to it once `delay` has passed without a newer one; each call replaces the
// pending item and starts the wait again. Releasing the debouncer drops the pending item. Callable from any thread;
// the work runs on the executor.
class Debouncer {
 public:
  explicit Debouncer(Duration delay, platform::Executor& executor = platform::mainExecutor())
      : delay_(delay), executor_(executor) {}
  ~Debouncer() { cancel(); }
  Debouncer(const Debouncer&) = delete;
  Debouncer& operator=(const Debouncer&) = delete;

  Duration delay() const { return delay_; }

  void call(std::function<void()> work) {
    std::lock_guard guard(mutex_);
    pending_.cancel();
    pending_ = executor_.postAfter(delay_, std::move(work));
  }

  void cancel() {
    std::lock_guard guard(mutex_);
    pending_.cancel();
  }

 private:
  Duration delay_;
  platform::Executor& executor_;
  std::mutex mutex_;
  platform::Cancel pending_;
};

}  // namespace kit
