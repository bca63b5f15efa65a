#include "platform/core/periodic_thread.h"

#include <sys/prctl.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/core/deadline_queue.h"
#include "platform/core/thread_ending.h"
#include "platform/core/thread_name.h"

namespace platform {

struct PeriodicThread::State {
  std::chrono::nanoseconds interval;
  std::chrono::nanoseconds tolerance;
  std::function<void()> tick;
  std::mutex mutex;  // taken by the thread between ticks, and by stop() alone
  std::condition_variable stopRequested;
  bool stopping = false;
};

PeriodicThread::PeriodicThread(std::chrono::nanoseconds interval, std::chrono::nanoseconds tolerance,
                               std::function<void()> tick)
    : state_(std::make_shared<State>()) {
  state_->interval = std::max(interval, std::chrono::nanoseconds(1));
  state_->tolerance = tolerance;
  state_->tick = std::move(tick);
  thread_ = std::thread([state = state_] { run(state); });
}

PeriodicThread::~PeriodicThread() { stop(); }

void PeriodicThread::stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->stopRequested.notify_one();
  joinUnlessCurrent(thread_);  // stopped from its own tick: the thread ends after it returns
}

void PeriodicThread::run(const std::shared_ptr<State>& state) {
  nameThisThread("q-sampler");
  // The kernel's timer slack of the thread applies to the timed wait below.
  if (state->tolerance > std::chrono::nanoseconds::zero())
    prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(state->tolerance.count()));
  const auto now = [] { return std::chrono::steady_clock::now().time_since_epoch(); };
  std::chrono::nanoseconds next = now();
  std::unique_lock lock(state->mutex);
  for (;;) {
    next = nextRepeatDeadline(next, state->interval, now());
    if (state->stopRequested.wait_until(lock, std::chrono::steady_clock::time_point(next),
                                        [&] { return state->stopping; }))
      return;
    lock.unlock();
    state->tick();
    lock.lock();
  }
}

}  // namespace platform
