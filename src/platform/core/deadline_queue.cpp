#include "platform/core/deadline_queue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/core/runtime_log.h"
#include "platform/core/thread_name.h"

namespace platform {

std::chrono::nanoseconds deadlineAfter(std::chrono::nanoseconds now, std::chrono::nanoseconds delay) {
  std::chrono::nanoseconds::rep deadline = 0;
  if (__builtin_add_overflow(now.count(), std::max(delay.count(), std::chrono::nanoseconds::rep{0}), &deadline))
    return std::chrono::nanoseconds::max();
  return std::chrono::nanoseconds(deadline);
}

std::chrono::nanoseconds nextRepeatDeadline(std::chrono::nanoseconds last, std::chrono::nanoseconds interval,
                                            std::chrono::nanoseconds now) {
  const int64_t periods = std::max(now - last, std::chrono::nanoseconds::zero()) / interval + 1;
  std::chrono::nanoseconds::rep ahead = 0;
  if (__builtin_mul_overflow(interval.count(), periods, &ahead)) return std::chrono::nanoseconds::max();
  return deadlineAfter(last, std::chrono::nanoseconds(ahead));
}

DeadlineQueue::Id DeadlineQueue::schedule(std::chrono::nanoseconds deadline, std::function<void()> work) {
  std::unique_lock lock(mutex_);
  Id id = nextId_++;
  if (closed_) {
    lock.unlock();
    work = nullptr;  // released outside the lock: its captures may schedule or cancel in turn
    return id;
  }
  entries_.emplace(std::make_pair(deadline, id), std::move(work));
  return id;
}

void DeadlineQueue::cancel(Id id) {
  std::function<void()> removed;
  std::lock_guard lock(mutex_);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first.second == id) {
      removed = std::move(it->second);  // destroyed after the lock is let go
      entries_.erase(it);
      return;
    }
  }
}

std::optional<DeadlineQueue::Entry> DeadlineQueue::takeDue(std::chrono::nanoseconds now) {
  std::lock_guard lock(mutex_);
  auto first = entries_.begin();
  if (first == entries_.end() || first->first.first > now) return std::nullopt;
  Entry due{first->first.first, std::move(first->second)};
  entries_.erase(first);
  return due;
}

std::optional<std::chrono::nanoseconds> DeadlineQueue::earliestDeadline() const {
  std::lock_guard lock(mutex_);
  if (entries_.empty()) return std::nullopt;
  return entries_.begin()->first.first;
}

std::size_t DeadlineQueue::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

void DeadlineQueue::close() {
  decltype(entries_) released;
  std::lock_guard lock(mutex_);
  closed_ = true;
  released.swap(entries_);
}

DeadlineTimer& DeadlineTimer::bootTime() {
  static DeadlineTimer* timer = new DeadlineTimer(CLOCK_BOOTTIME);  // lives as long as the process
  return *timer;
}

DeadlineTimer& DeadlineTimer::monotonic() {
  static DeadlineTimer* timer = new DeadlineTimer(CLOCK_MONOTONIC);  // lives as long as the process
  return *timer;
}

DeadlineTimer::DeadlineTimer(int clockId) : clockId_(clockId) {
  timerFd_.reset(::timerfd_create(clockId, TFD_CLOEXEC | TFD_NONBLOCK));
  wakeFd_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!timerFd_ || !wakeFd_) logRuntimeIssue("deadline timer: cannot create its file descriptors");
  std::thread([this] {
    nameThisThread(clockId_ == CLOCK_BOOTTIME ? "q-deadline-boot" : "q-deadline-mono");
    run();
  }).detach();
}

std::chrono::nanoseconds DeadlineTimer::now() const {
  timespec ts{};
  ::clock_gettime(clockId_, &ts);
  return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

DeadlineQueue::Id DeadlineTimer::scheduleAfter(std::chrono::nanoseconds delay, std::function<void()> work) {
  auto id = queue_.schedule(deadlineAfter(now(), delay), std::move(work));
  wake();
  return id;
}

void DeadlineTimer::wake() {
  std::uint64_t one = 1;
  if (::write(wakeFd_.get(), &one, sizeof one) < 0 && errno != EAGAIN) logRuntimeIssue("deadline timer: wake failed");
}

void DeadlineTimer::run() {
  for (;;) {
    while (auto due = queue_.takeDue(now())) due->work();
    // An entry scheduled from here on wakes the poll below, so that the timer is set again for it.
    itimerspec when{};
    if (auto deadline = queue_.earliestDeadline()) {
      when.it_value.tv_sec = static_cast<time_t>(std::chrono::duration_cast<std::chrono::seconds>(*deadline).count());
      when.it_value.tv_nsec = static_cast<long>((*deadline % std::chrono::seconds(1)).count());
      if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;
    }
    ::timerfd_settime(timerFd_.get(), TFD_TIMER_ABSTIME, &when, nullptr);
    pollfd fds[2] = {{timerFd_.get(), POLLIN, 0}, {wakeFd_.get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
      logRuntimeIssue("deadline timer: poll failed");
      return;
    }
    std::uint64_t count;
    if (fds[0].revents & POLLIN) (void)!::read(timerFd_.get(), &count, sizeof count);
    if (fds[1].revents & POLLIN) (void)!::read(wakeFd_.get(), &count, sizeof count);
  }
}

}  // namespace platform
