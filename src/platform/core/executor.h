#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

enum class Priority { unspecified, userInitiated, utility, background };

// Token of a delayed post. cancel() keeps the work from starting if it has not started yet.
// Copies share the same work; a default-constructed token cancels nothing.
class Cancel {
 public:
  Cancel() = default;
  explicit Cancel(std::shared_ptr<std::atomic<bool>> cancelled) : cancelled_(std::move(cancelled)) {}
  void cancel();
  bool isCancelled() const;

 private:
  std::shared_ptr<std::atomic<bool>> cancelled_;
};

class Executor {
 public:
  virtual ~Executor() = default;
  // Runs the work later, in the order of posting (per executor). Thread-safe.
  virtual void post(std::function<void()> work) = 0;
  // Runs the work on this executor at or after the delay.
  virtual Cancel postAfter(std::chrono::nanoseconds delay, std::function<void()> work) = 0;
  // As postAfter, for work that may run up to `tolerance` late, so that the system can group wake-ups.
  virtual Cancel postAfterTolerating(std::chrono::nanoseconds delay, std::chrono::nanoseconds tolerance,
                                     std::function<void()> work);
  // The clock that delays are measured on: the monotonic clock (virtual time in a manual executor).
  virtual std::chrono::nanoseconds now() const;
  // Runs the work on this executor every `interval` until the token is cancelled; each run may come up to
  // `tolerance` late, so that wake-ups can be shared. Runs keep to multiples of the
  // interval from the start; a run missed entirely is dropped, not made up for.
  virtual Cancel postRepeating(std::chrono::nanoseconds interval, std::chrono::nanoseconds tolerance,
                               std::function<void()> work);
};

// The Qt event loop of the GUI thread (or the executor a test installed).
Executor& mainExecutor();
// A small process-wide thread pool shared by every priority.
Executor& globalExecutor(Priority priority = Priority::unspecified);
// Replaces the main executor (nullptr restores the Qt loop). Only for tests, before any work is posted.
void setMainExecutorForTesting(Executor* executor);
// The executor whose work runs on this thread right now, if any.
Executor* currentExecutor();

// Runs the work of one base executor one item at a time, in posting order (actor-like isolation).
// Work still queued when the executor is destroyed is dropped.
class SerialExecutor final : public Executor {
 public:
  explicit SerialExecutor(Executor& base);
  ~SerialExecutor() override;
  SerialExecutor(const SerialExecutor&) = delete;
  SerialExecutor& operator=(const SerialExecutor&) = delete;

  void post(std::function<void()> work) override;
  Cancel postAfter(std::chrono::nanoseconds delay, std::function<void()> work) override;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// An executor that runs only when a test asks, with its own virtual time for delayed work.
class ManualExecutor final : public Executor {
 public:
  ManualExecutor() = default;
  ManualExecutor(const ManualExecutor&) = delete;
  ManualExecutor& operator=(const ManualExecutor&) = delete;

  void post(std::function<void()> work) override;
  Cancel postAfter(std::chrono::nanoseconds delay, std::function<void()> work) override;

  // Runs queued work, including work posted meanwhile, until nothing is ready. Returns the count run.
  std::size_t runUntilIdle();
  // Moves virtual time forward, running delayed work at its deadline (in deadline order) and all ready work.
  void advance(std::chrono::nanoseconds by);
  std::chrono::nanoseconds now() const override;
  bool hasPendingWork() const;

 private:
  struct Delayed {
    std::chrono::nanoseconds deadline;
    std::uint64_t sequence;
    std::function<void()> work;
    Cancel token;
  };
  bool runOne();

  mutable std::mutex mutex_;
  std::deque<std::function<void()>> ready_;
  std::vector<Delayed> delayed_;
  std::chrono::nanoseconds now_{0};
  std::uint64_t sequence_ = 0;
};

// Makes `executor` the current executor of this thread while in scope (used by executors that run work).
class CurrentExecutorScope {
 public:
  explicit CurrentExecutorScope(Executor* executor);
  ~CurrentExecutorScope();
  CurrentExecutorScope(const CurrentExecutorScope&) = delete;
  CurrentExecutorScope& operator=(const CurrentExecutorScope&) = delete;

 private:
  Executor* previous_;
};

}  // namespace platform
