#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/core/file_descriptor.h"

namespace platform {

// The deadline `delay` after `now` on one clock: a negative delay is none, and a deadline beyond the clock's range is
// its last instant (a wait without end).
std::chrono::nanoseconds deadlineAfter(std::chrono::nanoseconds now, std::chrono::nanoseconds delay);
// The next deadline of work that repeats every `interval` (positive) from `last`: the first of last + n × interval
// after `now`, so that runs missed entirely (a blocked loop, a suspended machine) are dropped, not made up in a burst.
std::chrono::nanoseconds nextRepeatDeadline(std::chrono::nanoseconds last, std::chrono::nanoseconds interval,
                                            std::chrono::nanoseconds now);

// Work waiting for a deadline, earliest first, ties in the order scheduled. The deadlines are times on whichever
// clock the owner keeps: the monotonic clock of executor delays, the boot-time clock of sleeps, or a test's
// virtual clock. Thread-safe; work taken out or cancelled is released outside the lock.
class DeadlineQueue {
 public:
  using Id = std::uint64_t;
  struct Entry {
    std::chrono::nanoseconds deadline;
    std::function<void()> work;
  };

  // Once the queue is closed, the work is released at once and never runs.
  Id schedule(std::chrono::nanoseconds deadline, std::function<void()> work);
  // Keeps the work from running if it has not been taken out yet.
  void cancel(Id id);
  // Takes out the earliest entry whose deadline is at or before `now`.
  std::optional<Entry> takeDue(std::chrono::nanoseconds now);
  std::optional<std::chrono::nanoseconds> earliestDeadline() const;
  std::size_t size() const;
  // Releases every entry, and every one scheduled from now on: the clock behind the deadlines is gone.
  void close();

 private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::chrono::nanoseconds, Id>, std::function<void()>> entries_;
  Id nextId_ = 1;
  bool closed_ = false;
};

// One thread that runs the work of its queue when a system clock reaches each deadline (a timerfd on the clock).
// The work runs on that thread: it should only hand itself over to an executor.
class DeadlineTimer {
 public:
  // CLOCK_BOOTTIME: the time the system sleeps counts (continuous-clock sleeps).
  static DeadlineTimer& bootTime();
  // CLOCK_MONOTONIC, the steady clock: what executor delays are measured on.
  static DeadlineTimer& monotonic();

  DeadlineQueue::Id scheduleAfter(std::chrono::nanoseconds delay, std::function<void()> work);
  void cancel(DeadlineQueue::Id id) { queue_.cancel(id); }

 private:
  explicit DeadlineTimer(int clockId);
  std::chrono::nanoseconds now() const;
  void wake();
  void run();

  int clockId_;
  FileDescriptor timerFd_;  // both live as long as the process, as does the thread
  FileDescriptor wakeFd_;
  DeadlineQueue queue_;
};

}  // namespace platform
