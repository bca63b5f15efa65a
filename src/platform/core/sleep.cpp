#include "platform/core/sleep.h"

#include <functional>
#include <mutex>

#include "platform/core/clock.h"
#include "platform/core/deadline_queue.h"

namespace platform::detail {

void startSleep(const std::shared_ptr<SleepState>& state, std::chrono::nanoseconds duration) {
  auto settle = [](const std::shared_ptr<SleepState>& s, bool cancelled) {
    if (s->settled.exchange(true)) return false;
    s->cancelled = cancelled;
    resumeOn(s->context, s->handle);
    return true;
  };

  std::weak_ptr<SleepState> weak = state;
  std::optional<HandlerId> handler = state->context.cancellation->addHandler([weak, settle] {
    auto s = weak.lock();
    if (!s || !settle(s, true)) return;
    std::function<void()> removeTimer;
    {
      std::lock_guard lock(s->mutex);
      s->timerUnwanted = true;
      removeTimer = std::move(s->removeTimer);
    }
    if (removeTimer) removeTimer();
  });
  if (!handler) {
    settle(state, true);
    return;
  }

  auto cancellation = state->context.cancellation;
  auto onFire = [state, settle, cancellation, id = *handler] {
    if (settle(state, false)) cancellation->removeHandler(id);
  };
  std::function<void()> removeTimer;
  // The timeline, not the clock: a test may let its clock go while a sleep on another thread still holds on.
  if (auto timeline = installedVirtualTimeline()) {
    auto id = timeline->schedule(duration, onFire);
    removeTimer = [timeline, id] { timeline->cancel(id); };
  } else {
    auto id = DeadlineTimer::bootTime().scheduleAfter(duration, onFire);
    removeTimer = [id] { DeadlineTimer::bootTime().cancel(id); };
  }
  {
    std::lock_guard lock(state->mutex);
    if (!state->timerUnwanted) {
      state->removeTimer = std::move(removeTimer);
      return;
    }
  }
  removeTimer();
}

}  // namespace platform::detail
