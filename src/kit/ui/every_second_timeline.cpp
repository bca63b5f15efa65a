#include "kit/ui/every_second_timeline.h"

#include <QTimer>

namespace kit {

std::chrono::seconds EverySecondimelineSchedule::interval(TimelineMode mode) {
  return mode == TimelineMode::lowFrequency ? std::chrono::seconds(30) : std::chrono::seconds(1);
}

std::vector<platform::Date> EverySecondimelineSchedule::entries(platform::Date now, TimelineMode mode,
                                                                size_t count) const {
  std::vector<platform::Date> result;
  result.reserve(count);
  for (size_t i = 0; i < count; ++i) result.push_back(now + interval(mode) * static_cast<int64_t>(i));
  return result;
}

Timeline::Timeline(QObject* parent, std::function<void()> update)
    : QObject(parent), update_(std::move(update)), timer_(new QTimer(this)) {
  connect(timer_, &QTimer::timeout, this, [this] { update_(); });
  timer_->start(currentInterval());
  update_();
}

void Timeline::setMode(TimelineMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  timer_->start(currentInterval());
  if (mode == TimelineMode::normal) update_();
}

std::chrono::milliseconds Timeline::currentInterval() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(EverySecondimelineSchedule::interval(mode_));
}

}  // namespace kit
