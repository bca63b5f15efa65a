#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

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

// A clock that only moves when a test says so. Sleeps scheduled on it end when advance() passes their deadline.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(Date start = Date(std::chrono::seconds(1'700'000'000)));

  Date now() const override;
  std::chrono::nanoseconds uptime() const override;
  std::chrono::nanoseconds uptimeIncludingSleep() const override;

  // Moves every reading forward and fires the sleeps that became due, in deadline order.
  void advance(std::chrono::nanoseconds by);
  // Moves only the wall-clock date (as a user changing the system time would).
  void setDate(Date date);

  // Timer interface used by sleepFor.
  std::uint64_t schedule(std::chrono::nanoseconds delay, std::function<void()> fire);
  void cancel(std::uint64_t id);
  std::size_t pendingSleeps() const;

 private:
  mutable std::mutex mutex_;
  Date date_;
  std::chrono::nanoseconds uptime_{std::chrono::seconds(100)};
  std::map<std::pair<std::chrono::nanoseconds, std::uint64_t>, std::function<void()>> timers_;
  std::uint64_t nextId_ = 1;
};

// "yyyy-MM-dd HH:mm:ss +0000" in UTC.
std::string dateDescription(Date date);
// Seconds since 2001-01-01 00:00:00 UTC, the reference date of property lists and stored JSON.
double timeIntervalSinceReferenceDate(Date date);
Date dateFromTimeIntervalSinceReferenceDate(double seconds);

}  // namespace platform
