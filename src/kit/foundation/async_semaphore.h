#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/core/continuation.h"
#include "platform/core/task.h"

namespace kit {

// A counting semaphore for tasks: a waiter that finds no unit is suspended (no thread blocks), and signal()
// resumes the waiter that has waited longest.
class AsyncSemaphore {
 public:
  explicit AsyncSemaphore(int64_t value);  // a negative count stops the program
  ~AsyncSemaphore();                       // stops the program while tasks are suspended on it
  AsyncSemaphore(const AsyncSemaphore&) = delete;
  AsyncSemaphore& operator=(const AsyncSemaphore&) = delete;

  // Returns once the caller holds one unit; ignores cancellation.
  platform::Task<> wait();
  // Returns once the caller holds one unit; throws CancellationError (and gives the unit back) when the
  // calling task is or gets cancelled first.
  platform::Task<> waitUnlessCancelled();
  // Gives one unit back; true when that resumed a suspended waiter.
  bool signal();

 private:
  struct Suspension {
    enum class State { suspendedUnlessCancelled, suspended, pending, cancelled, resumed };
    State state;
    std::optional<platform::Continuation<void>> continuation;
  };
  // Shared with cancellation handlers, which may still run on another thread after a waiter has finished.
  struct Core {
    std::recursive_mutex lock;
    int64_t value;
    std::deque<std::shared_ptr<Suspension>> suspensions;  // newest at the front
    void cancel(const std::shared_ptr<Suspension>& suspension);
  };
  std::shared_ptr<Core> core_;
};

}  // namespace kit
