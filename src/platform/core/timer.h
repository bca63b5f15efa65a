#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace platform {

// A timer of the thread it lives on, for any span up to the largest 64-bit nanosecond count. Qt's timers count at
// most 2^31 - 1 ms (about 24.8 days): a longer wait is armed in steps of at most that much, each measured afresh on
// the monotonic clock, until the deadline. A wait that fits in one step is Qt's own timer, with Qt's precision (a
// coarse timer may fire up to 5 % of the interval early or late); a repeating timer whose interval fits is one Qt
// timer for all its runs. This is the one way the program waits on a Qt loop.
class Timer final : public QObject {
 public:
  explicit Timer(QObject* parent = nullptr);

  // Counted in whole milliseconds, rounded up; a negative span counts as zero. Restarts an active timer.
  void setInterval(std::chrono::nanoseconds interval);
  std::chrono::nanoseconds interval() const { return interval_; }
  void setSingleShot(bool singleShot) { singleShot_ = singleShot; }
  void setTimerType(Qt::TimerType type) { step_.setTimerType(type); }
  void onTimeout(std::function<void()> handler) { handler_ = std::move(handler); }

  // Starts or restarts the wait from now.
  void start();
  // Starts the timer and hands it over to its thread's loop, which deletes it once it stops: a single-shot timer
  // after its timeout, any timer on stop().
  void schedule();
  void stop();
  bool isActive() const { return step_.isActive(); }

 private:
  void arm();
  void stepEnded();

  QTimer step_;
  std::chrono::nanoseconds interval_{0};
  std::chrono::nanoseconds deadline_{0};  // on the monotonic clock
  bool singleShot_ = false;
  bool stepping_ = false;  // the wait does not fit in one Qt timer
  bool lastStep_ = false;
  bool ownedByLoop_ = false;
  std::function<void()> handler_;
};

// The longest step a Timer arms at once (Qt's limit); tests shorten it to watch a long wait in steps. Zero restores
// Qt's limit.
void setLongestTimerStepForTesting(std::chrono::milliseconds step);

}  // namespace platform
