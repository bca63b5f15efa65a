#include "platform/core/sleep.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/runtime_log.h"

namespace platform::detail {

namespace {

std::chrono::nanoseconds bootTimeNow() {
  timespec ts{};
  ::clock_gettime(CLOCK_BOOTTIME, &ts);
  return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

// One thread waiting on a CLOCK_BOOTTIME timerfd for the earliest deadline of all sleeping tasks.
class BootTimeTimers {
 public:
  static BootTimeTimers& shared() {
    static BootTimeTimers* timers = new BootTimeTimers();  // lives as long as the process
    return *timers;
  }

  std::uint64_t schedule(std::chrono::nanoseconds delay, std::function<void()> fire) {
    std::uint64_t id;
    {
      std::lock_guard lock(mutex_);
      id = nextId_++;
      entries_.emplace(std::make_pair(bootTimeNow() + delay, id), std::move(fire));
    }
    wake();
    return id;
  }

  void cancel(std::uint64_t id) {
    std::function<void()> removed;
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->first.second == id) {
        removed = std::move(it->second);
        entries_.erase(it);
        return;
      }
    }
  }

 private:
  BootTimeTimers() {
    timerFd_ = ::timerfd_create(CLOCK_BOOTTIME, TFD_CLOEXEC | TFD_NONBLOCK);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (timerFd_ < 0 || wakeFd_ < 0) logRuntimeIssue("sleep timer: cannot create its file descriptors");
    std::thread([this] { run(); }).detach();
  }

  void wake() {
    std::uint64_t one = 1;
    if (::write(wakeFd_, &one, sizeof one) < 0 && errno != EAGAIN) logRuntimeIssue("sleep timer: wake failed");
  }

  void run() {
    for (;;) {
      std::vector<std::function<void()>> due;
      {
        std::lock_guard lock(mutex_);
        auto now = bootTimeNow();
        while (!entries_.empty() && entries_.begin()->first.first <= now) {
          due.push_back(std::move(entries_.begin()->second));
          entries_.erase(entries_.begin());
        }
        itimerspec when{};
        if (!entries_.empty()) {
          auto deadline = entries_.begin()->first.first;
          when.it_value.tv_sec =
              static_cast<time_t>(std::chrono::duration_cast<std::chrono::seconds>(deadline).count());
          when.it_value.tv_nsec = static_cast<long>((deadline % std::chrono::seconds(1)).count());
          if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;
        }
        ::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &when, nullptr);
      }
      for (auto& fire : due) fire();
      if (!due.empty()) continue;
      pollfd fds[2] = {{timerFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
        logRuntimeIssue("sleep timer: poll failed");
        return;
      }
      std::uint64_t count;
      if (fds[0].revents & POLLIN) (void)!::read(timerFd_, &count, sizeof count);
      if (fds[1].revents & POLLIN) (void)!::read(wakeFd_, &count, sizeof count);
    }
  }

  int timerFd_ = -1;
  int wakeFd_ = -1;
  std::mutex mutex_;
  std::map<std::pair<std::chrono::nanoseconds, std::uint64_t>, std::function<void()>> entries_;
  std::uint64_t nextId_ = 1;
};

}  // namespace

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
  if (auto* virtualClock = dynamic_cast<VirtualClock*>(&clock())) {
    std::uint64_t id = virtualClock->schedule(duration, onFire);
    removeTimer = [virtualClock, id] { virtualClock->cancel(id); };
  } else {
    std::uint64_t id = BootTimeTimers::shared().schedule(duration, onFire);
    removeTimer = [id] { BootTimeTimers::shared().cancel(id); };
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
