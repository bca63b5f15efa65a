#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

namespace platform {

using HandlerId = std::uint64_t;

// The cancellation flag of one task, shared by the task and everything it awaits inline.
class CancellationState {
 public:
  bool isCancelled() const noexcept { return cancelled_.load(std::memory_order_acquire); }
  // Sets the flag and runs the registered handlers once, on this thread. Later calls do nothing.
  void cancel();
  // Registers a handler for a later cancel(). Returns nullopt when the state is ALREADY cancelled:
  // the caller then runs the handler itself, inline.
  std::optional<HandlerId> addHandler(std::function<void()> handler);
  // Forgets a handler. A handler that cancel() already took may still be running on another thread.
  void removeHandler(HandlerId id);

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::map<HandlerId, std::function<void()>> handlers_;
  HandlerId nextId_ = 1;
};

}  // namespace platform
