#include "platform/core/clock.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace platform {

namespace {

std::chrono::nanoseconds readClock(clockid_t id) {
  timespec ts{};
  ::clock_gettime(id, &ts);
  return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

class SystemClock final : public Clock {
 public:
  Date now() const override { return std::chrono::system_clock::now(); }
  std::chrono::nanoseconds uptime() const override { return readClock(CLOCK_MONOTONIC); }
  std::chrono::nanoseconds uptimeIncludingSleep() const override { return readClock(CLOCK_BOOTTIME); }
};

std::atomic<Clock*> clockOverride{nullptr};

// 2001-01-01 00:00:00 UTC in Unix time.
constexpr std::chrono::seconds referenceDateOffset{978'307'200};

}  // namespace

Clock& systemClock() {
  static SystemClock* system = new SystemClock();
  return *system;
}

Clock& clock() {
  if (Clock* c = clockOverride.load()) return *c;
  return systemClock();
}

void setClockForTesting(Clock* c) { clockOverride.store(c); }

VirtualClock::VirtualClock(Date start) : date_(start) {}

Date VirtualClock::now() const {
  std::lock_guard lock(mutex_);
  return date_;
}

std::chrono::nanoseconds VirtualClock::uptime() const {
  std::lock_guard lock(mutex_);
  return uptime_;
}

std::chrono::nanoseconds VirtualClock::uptimeIncludingSleep() const { return uptime(); }

void VirtualClock::advance(std::chrono::nanoseconds by) {
  std::chrono::nanoseconds target;
  {
    std::lock_guard lock(mutex_);
    target = uptime_ + by;
  }
  for (;;) {
    std::function<void()> fire;
    {
      std::lock_guard lock(mutex_);
      auto first = timers_.begin();
      if (first == timers_.end() || first->first.first > target) {
        date_ += std::chrono::duration_cast<Date::duration>(target - uptime_);
        uptime_ = target;
        return;
      }
      date_ += std::chrono::duration_cast<Date::duration>(first->first.first - uptime_);
      uptime_ = first->first.first;
      fire = std::move(first->second);
      timers_.erase(first);
    }
    fire();
  }
}

void VirtualClock::setDate(Date date) {
  std::lock_guard lock(mutex_);
  date_ = date;
}

std::uint64_t VirtualClock::schedule(std::chrono::nanoseconds delay, std::function<void()> fire) {
  std::lock_guard lock(mutex_);
  std::uint64_t id = nextId_++;
  timers_.emplace(std::make_pair(uptime_ + std::max(delay, std::chrono::nanoseconds(0)), id), std::move(fire));
  return id;
}

void VirtualClock::cancel(std::uint64_t id) {
  std::function<void()> removed;
  std::lock_guard lock(mutex_);
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->first.second == id) {
      removed = std::move(it->second);
      timers_.erase(it);
      return;
    }
  }
}

std::size_t VirtualClock::pendingSleeps() const {
  std::lock_guard lock(mutex_);
  return timers_.size();
}

std::string dateDescription(Date date) {
  time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(date));
  tm parts{};
  ::gmtime_r(&seconds, &parts);
  char buffer[64];
  std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &parts);
  return std::string(buffer, n);
}

double timeIntervalSinceReferenceDate(Date date) {
  auto sinceUnix = std::chrono::duration<double>(date.time_since_epoch());
  return sinceUnix.count() - static_cast<double>(referenceDateOffset.count());
}

Date dateFromTimeIntervalSinceReferenceDate(double seconds) {
  // Stored data may hold anything: clamp to what a Date can hold instead of overflowing.
  const double limit = std::chrono::duration<double>(Date::duration::max()).count() / 2;
  if (std::isnan(seconds)) seconds = 0;
  seconds = std::clamp(seconds, -limit, limit);
  auto sinceUnix = std::chrono::duration<double>(seconds + static_cast<double>(referenceDateOffset.count()));
  return Date(std::chrono::duration_cast<Date::duration>(sinceUnix));
}

}  // namespace platform
