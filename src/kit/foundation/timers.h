#pragma once

#include <QPointer>
#include <functional>
#include <memory>

#include "kit/foundation/durations.h"
#include "platform/core/timer.h"

namespace kit {

// Timers measured in the kit's spans, up to the largest standard span (about 292 years: longer and infinite spans
// wait that long; negative ones count as zero). Each timeout calls `block` with the timer; a timer that does not
// repeat fires once. The timers run on the thread that starts them and fire also while a menu or a dialog runs its
// own loop.

// A timer not yet started; the caller owns it.
std::unique_ptr<platform::Timer> makeTimer(Duration duration, bool repeats,
                                           std::function<void(platform::Timer&)> block);
std::unique_ptr<platform::Timer> makeTimer(ZvDuration duration, bool repeats,
                                           std::function<void(platform::Timer&)> block);

// A timer started on the calling thread, whose loop keeps it until it stops: a one-shot timer once it fired, any
// timer when stopped, here or through the timer its block receives. Dropping the handle leaves the timer running.
class ScheduledTimer {
 public:
  explicit ScheduledTimer(platform::Timer* timer) : timer_(timer) {}
  // On the timer's thread.
  void stop();
  bool isActive() const { return timer_ && timer_->isActive(); }

 private:
  QPointer<platform::Timer> timer_;
};

ScheduledTimer scheduledTimer(Duration duration, bool repeats, std::function<void(platform::Timer&)> block);
ScheduledTimer scheduledTimer(ZvDuration duration, bool repeats, std::function<void(platform::Timer&)> block);

}  // namespace kit
