#include "kit/foundation/timers.h"

#include <cmath>
#include <limits>

namespace kit {

namespace {

std::unique_ptr<QTimer> timerOf(TimeInterval seconds, bool repeats, std::function<void(QTimer&)> block) {
  auto timer = std::make_unique<QTimer>();
  double milliseconds = std::ceil(seconds * 1000);
  constexpr double longest = std::numeric_limits<int>::max();
  timer->setInterval(std::isnan(milliseconds) || milliseconds < 0 ? 0
                                                                  : static_cast<int>(std::min(milliseconds, longest)));
  timer->setSingleShot(!repeats);
  timer->setTimerType(Qt::PreciseTimer);
  QTimer* raw = timer.get();
  QObject::connect(raw, &QTimer::timeout, raw, [raw, block = std::move(block)] { block(*raw); });
  return timer;
}

std::unique_ptr<QTimer> started(std::unique_ptr<QTimer> timer) {
  timer->start();
  return timer;
}

}  // namespace

std::unique_ptr<QTimer> makeTimer(Duration duration, bool repeats, std::function<void(QTimer&)> block) {
  return timerOf(toTimeInterval(duration), repeats, std::move(block));
}

std::unique_ptr<QTimer> makeTimer(ZvDuration duration, bool repeats, std::function<void(QTimer&)> block) {
  return timerOf(duration.seconds(), repeats, std::move(block));
}

std::unique_ptr<QTimer> scheduledTimer(Duration duration, bool repeats, std::function<void(QTimer&)> block) {
  return started(makeTimer(duration, repeats, std::move(block)));
}

std::unique_ptr<QTimer> scheduledTimer(ZvDuration duration, bool repeats, std::function<void(QTimer&)> block) {
  return started(makeTimer(duration, repeats, std::move(block)));
}

}  // namespace kit
