#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/core/deadline_queue.h"

namespace platform {

using Date = std::chrono::system_clock::time_point;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Date now() const = 0;
  // Time since boot without the time the system slept (CLOCK_MONOTONIC).
  virtual std::chrono::nanoseconds uptime() const = 0;
  // Time since boot including sleep (CLOCK_BOOTTIME); what continuous-clock sleeps count.
  virtual std::chrono::nanoseconds uptimeIncludingSleep() const = 0;
};

// The clock in use: the system's, or the one a test installed.
Clock& clock();
Clock& systemClock();
// Installs a clock for tests (nullptr restores the system clock). A VirtualClock also drives sleepFor.
void setClockForTesting(Clock* clock);

namespace detail {
// The time of a VirtualClock and the sleeps waiting on it. Shared, so that a sleep that took it from an installed
// clock may still reach it (to cancel, say) after the test has let the clock go.
class VirtualTimeline {
 public:
  explicit VirtualTimeline(Date start) : date_(start) {}
  Date now() const;
  std::chrono::nanoseconds uptime() const;
  void advance(std::chrono::nanoseconds by);
  void setDate(Date date);
  DeadlineQueue::Id schedule(std::chrono::nanoseconds delay, std::function<void()> fire);
  void cancel(DeadlineQueue::Id id) { sleeps_.cancel(id); }
  std::size_t pendingSleeps() const { return sleeps_.size(); }
  // The clock is gone: its sleeps never end, and their work is released.
  void close() { sleeps_.close(); }

 private:
  mutable std::mutex mutex_;  // taken before the queue's own, so that moving the time and scheduling do not cross
  Date date_;
  std::chrono::nanoseconds uptime_{std::chrono::seconds(100)};
  DeadlineQueue sleeps_;
};

// The timeline of the VirtualClock installed for testing, if one is.
std::shared_ptr<VirtualTimeline> installedVirtualTimeline();
}  // namespace detail

// A clock that only moves when a test says so. Sleeps scheduled on it end when advance() passes their deadline;
// sleeps still waiting when it goes never end.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(Date start = Date(std::chrono::seconds(1'700'000'000)));
  ~VirtualClock() override;
  VirtualClock(const VirtualClock&) = delete;
  VirtualClock& operator=(const VirtualClock&) = delete;

  Date now() const override { return timeline_->now(); }
  std::chrono::nanoseconds uptime() const override { return timeline_->uptime(); }
  std::chrono::nanoseconds uptimeIncludingSleep() const override { return timeline_->uptime(); }

  // Moves every reading forward and fires the sleeps that became due, in deadline order.
  void advance(std::chrono::nanoseconds by) { timeline_->advance(by); }
  // Moves only the wall-clock date (as a user changing the system time would).
  void setDate(Date date) { timeline_->setDate(date); }

  std::uint64_t schedule(std::chrono::nanoseconds delay, std::function<void()> fire) {
    return timeline_->schedule(delay, std::move(fire));
  }
  void cancel(std::uint64_t id) { timeline_->cancel(id); }
  std::size_t pendingSleeps() const { return timeline_->pendingSleeps(); }

 private:
  friend void setClockForTesting(Clock* clock);
  std::shared_ptr<detail::VirtualTimeline> timeline_;
};

// "yyyy-MM-dd HH:mm:ss +0000" in UTC.
std::string dateDescription(Date date);
// Seconds since 2001-01-01 00:00:00 UTC, the reference date of property lists and stored JSON.
double timeIntervalSinceReferenceDate(Date date);
Date dateFromTimeIntervalSinceReferenceDate(double seconds);

}  // namespace platform
