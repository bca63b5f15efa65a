#include "kit/foundation/timers.h"

#include <cmath>

namespace kit {

namespace {

// Seconds as a span for a timer: to the nearest nanosecond, between zero and the largest span.
Duration timerSpan(TimeInterval seconds) {
  double nanoseconds = std::round(seconds * 1e9);
  if (!(nanoseconds > 0)) return Duration::zero();  // also NaN
  if (nanoseconds >= 0x1p63) return Duration::max();
  return Duration(static_cast<int64_t>(nanoseconds));
}

ScheduledTimer scheduled(std::unique_ptr<platform::Timer> timer) {
  platform::Timer* raw = timer.release();
  raw->schedule();
  return ScheduledTimer(raw);
}

}  // namespace

std::unique_ptr<platform::Timer> makeTimer(Duration duration, bool repeats,
                                           std::function<void(platform::Timer&)> block) {
  auto timer = std::make_unique<platform::Timer>();
  timer->setInterval(duration);
  timer->setSingleShot(!repeats);
  timer->setTimerType(Qt::PreciseTimer);
  timer->onTimeout([raw = timer.get(), block = std::move(block)] { block(*raw); });
  return timer;
}

std::unique_ptr<platform::Timer> makeTimer(ZvDuration duration, bool repeats,
                                           std::function<void(platform::Timer&)> block) {
  return makeTimer(timerSpan(duration.seconds()), repeats, std::move(block));
}

void ScheduledTimer::stop() {
  if (timer_) timer_->stop();
}

ScheduledTimer scheduledTimer(Duration duration, bool repeats, std::function<void(platform::Timer&)> block) {
  return scheduled(makeTimer(duration, repeats, std::move(block)));
}

ScheduledTimer scheduledTimer(ZvDuration duration, bool repeats, std::function<void(platform::Timer&)> block) {
  return scheduled(makeTimer(duration, repeats, std::move(block)));
}

}  // namespace kit
