#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace platform {

// A thread of its own that calls `tick` every `interval` until stopped. Ticks keep to multiples of the interval from
// the start; a tick missed entirely (a slow tick, a suspended machine) is dropped, not made up for. The tolerance
// becomes the thread's timer slack: each tick may come up to that much late, so that the kernel can wake the
// thread together with other timers. Between ticks the thread sleeps on the steady clock and shares no lock with
// anyone, so that a tick which allocates nothing and posts nothing costs nothing but its own wake-up.
class PeriodicThread {
 public:
  PeriodicThread(std::chrono::nanoseconds interval, std::chrono::nanoseconds tolerance, std::function<void()> tick);
  ~PeriodicThread();
  PeriodicThread(const PeriodicThread&) = delete;
  PeriodicThread& operator=(const PeriodicThread&) = delete;

  // Ends the ticks at once, without waiting for the next one: a tick in progress completes first, and none starts
  // after stop() has returned. Called from inside a tick, the thread ends when that tick returns.
  void stop();

 private:
  struct State;
  static void run(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace platform
