#include "platform/core/clock.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

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
// The installed VirtualClock's timeline, which sleeps take instead of the clock itself. Never destroyed: a thread of
// the pool may still ask for it while the program ends.
struct InstalledTimeline {
  std::mutex mutex;
  std::shared_ptr<detail::VirtualTimeline> timeline;
};
InstalledTimeline& installed() {
  static auto* value = new InstalledTimeline();
  return *value;
}

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

void setClockForTesting(Clock* c) {
  std::shared_ptr<detail::VirtualTimeline> timeline;
  if (auto* virtualClock = dynamic_cast<VirtualClock*>(c)) timeline = virtualClock->timeline_;
  std::lock_guard lock(installed().mutex);
  clockOverride.store(c);
  installed().timeline.swap(timeline);
}

namespace detail {

std::shared_ptr<VirtualTimeline> installedVirtualTimeline() {
  std::lock_guard lock(installed().mutex);
  return installed().timeline;
}

Date VirtualTimeline::now() const {
  std::lock_guard lock(mutex_);
  return date_;
}

std::chrono::nanoseconds VirtualTimeline::uptime() const {
  std::lock_guard lock(mutex_);
  return uptime_;
}

void VirtualTimeline::advance(std::chrono::nanoseconds by) {
  std::chrono::nanoseconds target;
  {
    std::lock_guard lock(mutex_);
    target = uptime_ + by;
  }
  for (;;) {
    std::optional<DeadlineQueue::Entry> due;
    {
      std::lock_guard lock(mutex_);
      due = sleeps_.takeDue(target);
      auto reached = due ? std::max(uptime_, due->deadline) : target;
      date_ += std::chrono::duration_cast<Date::duration>(reached - uptime_);
      uptime_ = reached;
      if (!due) return;
    }
    due->work();
  }
}

void VirtualTimeline::setDate(Date date) {
  std::lock_guard lock(mutex_);
  date_ = date;
}

DeadlineQueue::Id VirtualTimeline::schedule(std::chrono::nanoseconds delay, std::function<void()> fire) {
  std::lock_guard lock(mutex_);
  return sleeps_.schedule(deadlineAfter(uptime_, delay), std::move(fire));
}

}  // namespace detail

VirtualClock::VirtualClock(Date start) : timeline_(std::make_shared<detail::VirtualTimeline>(start)) {}

VirtualClock::~VirtualClock() { timeline_->close(); }

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
