#include "platform/core/timer.h"

#include <QPointer>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>

#include "platform/core/deadline_queue.h"

namespace platform {

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

std::atomic<int64_t> longestStepForTesting{0};

milliseconds longestStep() {
  int64_t forTesting = longestStepForTesting.load();
  return forTesting > 0 ? milliseconds(forTesting) : milliseconds(std::numeric_limits<int>::max());
}

nanoseconds monotonicNow() { return std::chrono::steady_clock::now().time_since_epoch(); }

}  // namespace

Timer::Timer(QObject* parent) : QObject(parent), step_(this) {
  connect(&step_, &QTimer::timeout, this, [this] { stepEnded(); });
}

void Timer::setInterval(nanoseconds interval) {
  interval_ = std::max(interval, nanoseconds::zero());
  if (isActive()) start();
}

void Timer::start() {
  auto whole = std::chrono::ceil<milliseconds>(interval_);
  stepping_ = whole > longestStep();
  if (!stepping_) {
    step_.setSingleShot(singleShot_);
    step_.start(whole);
    return;
  }
  deadline_ = deadlineAfter(monotonicNow(), interval_);
  step_.setSingleShot(true);
  arm();
}

void Timer::schedule() {
  ownedByLoop_ = true;
  start();
}

void Timer::stop() {
  step_.stop();
  if (ownedByLoop_) deleteLater();
}

void Timer::arm() {
  auto remaining = std::chrono::ceil<milliseconds>(std::max(deadline_ - monotonicNow(), nanoseconds::zero()));
  lastStep_ = remaining <= longestStep();
  step_.start(lastStep_ ? remaining : longestStep());
}

void Timer::stepEnded() {
  if (stepping_) {
    if (!lastStep_) return arm();
    if (!singleShot_) {
      deadline_ = nextRepeatDeadline(deadline_, interval_, monotonicNow());
      arm();
    }
  }
  QPointer<Timer> alive(this);  // the handler may delete its timer
  if (handler_) handler_();
  if (alive && ownedByLoop_ && !isActive()) deleteLater();
}

void setLongestTimerStepForTesting(milliseconds step) { longestStepForTesting.store(step.count()); }

}  // namespace platform
