#pragma once

#include <QTimer>
#include <functional>
#include <memory>

#include "kit/foundation/durations.h"

namespace kit {

// Timers measured in the kit's spans (converted like every span handed to the system: whole milliseconds here,
// rounded up, at most about 24 days). Each timeout calls `block` with the timer; a timer that does not repeat fires
// once. The timers run on the thread that starts them and fire also while a menu or a dialog runs its own loop.

// A timer not yet started.
std::unique_ptr<QTimer> makeTimer(Duration duration, bool repeats, std::function<void(QTimer&)> block);
std::unique_ptr<QTimer> makeTimer(ZvDuration duration, bool repeats, std::function<void(QTimer&)> block);
// A timer started at once on the calling thread.
std::unique_ptr<QTimer> scheduledTimer(Duration duration, bool repeats, std::function<void(QTimer&)> block);
std::unique_ptr<QTimer> scheduledTimer(ZvDuration duration, bool repeats, std::function<void(QTimer&)> block);

}  // namespace kit
