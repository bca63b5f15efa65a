#pragma once

// Unbounded single-consumer streams. Producers yield from any thread; the consumer awaits next() in a task.
// The stream terminates once: when finished (after the consumer has taken the buffered elements), when the
// consumer's task is cancelled while it reads, or when the last copy of the consumer side is destroyed.
// onTermination then runs once, on the thread that terminated the stream.

#include <coroutine>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/core/task.h"

namespace platform {

enum class StreamTermination { finished, cancelled };

namespace detail {

template <class T>
struct StreamState : std::enable_shared_from_this<StreamState<T>> {
  std::mutex mutex;
  std::deque<T> buffer;
  bool finished = false;    // no more yields accepted
  bool terminated = false;  // onTermination has been (or is being) called
  StreamTermination terminationReason = StreamTermination::finished;
  std::exception_ptr failure;
  std::function<void(StreamTermination)> onTermination;
  // The waiting consumer, if any.
  std::coroutine_handle<> waiter;
  TaskContext waiterContext;
  std::optional<HandlerId> waiterHandler;

  // Called with the lock held; returns what to run after unlocking.
  std::function<void()> terminateLocked(StreamTermination reason) {
    if (terminated) return {};
    terminated = true;
    terminationReason = reason;
    finished = true;
    auto handler = std::move(onTermination);
    onTermination = nullptr;
    if (!handler) return {};
    return [handler = std::move(handler), reason] { handler(reason); };
  }

  // Takes the waiting consumer out, to resume it after unlocking.
  std::function<void()> takeWaiterLocked() {
    if (!waiter) return {};
    auto handle = std::exchange(waiter, nullptr);
    auto context = std::move(waiterContext);
    return [handle, context] { resumeOn(context, handle); };
  }

  bool yield(T value) {
    std::function<void()> resume;
    {
      std::lock_guard lock(mutex);
      if (finished) return false;
      buffer.push_back(std::move(value));
      resume = takeWaiterLocked();
    }
    if (resume) resume();
    return true;
  }

  void finish(std::exception_ptr error) {
    std::function<void()> resume, terminate;
    {
      std::lock_guard lock(mutex);
      if (finished) return;
      finished = true;
      failure = std::move(error);
      resume = takeWaiterLocked();
      // With nothing left to read the stream ends now; otherwise once the consumer drained it.
      if (buffer.empty()) terminate = terminateLocked(StreamTermination::finished);
    }
    if (terminate) terminate();
    if (resume) resume();
  }

  // The consumer went away (its task was cancelled while reading, or the consumer side was destroyed).
  void cancel() {
    std::function<void()> resume, terminate;
    {
      std::lock_guard lock(mutex);
      buffer.clear();
      failure = nullptr;
      terminate = terminateLocked(StreamTermination::cancelled);
      resume = takeWaiterLocked();
    }
    if (terminate) terminate();
    if (resume) resume();
  }

  void setOnTermination(std::function<void(StreamTermination)> handler) {
    StreamTermination reason;
    {
      std::lock_guard lock(mutex);
      if (!terminated) {
        onTermination = std::move(handler);
        return;
      }
      reason = terminationReason;
    }
    // Registered after the end: it still runs, once.
    if (handler) handler(reason);
  }

  // Consumer side. Returns an element, or nullopt at the end (rethrowing a failure first, once).
  std::optional<T> takeLocked(std::function<void()>& terminate) {
    if (!buffer.empty()) {
      T value = std::move(buffer.front());
      buffer.pop_front();
      if (finished && buffer.empty()) terminate = terminateLocked(StreamTermination::finished);
      return value;
    }
    return std::nullopt;
  }
};

// Keeps the consumer side alive; its destruction cancels the stream.
template <class T>
struct StreamConsumer {
  explicit StreamConsumer(std::shared_ptr<StreamState<T>> s) : state(std::move(s)) {}
  StreamConsumer(const StreamConsumer&) = delete;
  StreamConsumer& operator=(const StreamConsumer&) = delete;
  ~StreamConsumer() { state->cancel(); }
  std::shared_ptr<StreamState<T>> state;
};

template <class T>
struct StreamNextAwaiter {
  std::shared_ptr<StreamState<T>> state;
  bool throwing;

  bool await_ready() {
    // A cancelled consumer stops reading at once.
    if (currentTaskIsCancelled()) {
      state->cancel();
      return true;
    }
    std::lock_guard lock(state->mutex);
    return !state->buffer.empty() || state->finished;
  }

  template <class P>
  bool await_suspend(std::coroutine_handle<P> h) {
    TaskContext context = h.promise().context;
    // The handler is in place before the waiter is visible, so whoever resumes the waiter finds it.
    std::weak_ptr<StreamState<T>> weak = state;
    std::optional<HandlerId> id = context.cancellation->addHandler([weak] {
      if (auto s = weak.lock()) s->cancel();
    });
    if (!id) {
      state->cancel();
      return false;
    }
    {
      std::lock_guard lock(state->mutex);
      if (state->buffer.empty() && !state->finished) {
        state->waiter = h;
        state->waiterContext = context;
        state->waiterHandler = id;
        return true;
      }
    }
    context.cancellation->removeHandler(*id);
    return false;
  }

  std::optional<T> await_resume() {
    std::function<void()> terminate;
    std::optional<T> value;
    std::exception_ptr failure;
    std::optional<HandlerId> handler;
    std::shared_ptr<CancellationState> cancellation = currentContext().cancellation;
    {
      std::lock_guard lock(state->mutex);
      handler = std::exchange(state->waiterHandler, std::nullopt);
      value = state->takeLocked(terminate);
      if (!value && state->finished) {
        failure = std::exchange(state->failure, nullptr);
        terminate = state->terminateLocked(StreamTermination::finished);
      }
    }
    if (handler && cancellation) cancellation->removeHandler(*handler);
    if (terminate) terminate();
    if (failure && throwing) std::rethrow_exception(failure);
    return value;
  }
};

// The two kinds of stream in one: a throwing stream's producer may end it with an error, which next() throws once.
template <class T, bool throwing>
class BasicAsyncStream {
 public:
  using Element = T;
  using Termination = StreamTermination;

  class Continuation {
   public:
    enum class YieldResult { enqueued, terminated };
    explicit Continuation(std::shared_ptr<StreamState<T>> state) : state_(std::move(state)) {}
    YieldResult yield(T value) const {
      return state_->yield(std::move(value)) ? YieldResult::enqueued : YieldResult::terminated;
    }
    void finish() const requires(!throwing) { state_->finish(nullptr); }
    void finish(std::exception_ptr error = nullptr) const requires throwing { state_->finish(std::move(error)); }
    void onTermination(std::function<void(Termination)> handler) const { state_->setOnTermination(std::move(handler)); }

   private:
    std::shared_ptr<StreamState<T>> state_;
  };

  static std::pair<BasicAsyncStream, Continuation> makeStream() {
    auto state = std::make_shared<StreamState<T>>();
    return {BasicAsyncStream(state), Continuation(state)};
  }

  explicit BasicAsyncStream(const std::function<void(Continuation)>& build)
      : BasicAsyncStream(std::make_shared<StreamState<T>>()) {
    build(Continuation(state_));
  }

  // The next element, or nullopt once the stream ended. One consumer at a time.
  StreamNextAwaiter<T> next() const { return {state_, throwing}; }

 private:
  explicit BasicAsyncStream(std::shared_ptr<StreamState<T>> state)
      : state_(std::move(state)), consumer_(std::make_shared<StreamConsumer<T>>(state_)) {}

  std::shared_ptr<StreamState<T>> state_;
  std::shared_ptr<StreamConsumer<T>> consumer_;
};

}  // namespace detail

template <class T>
using AsyncStream = detail::BasicAsyncStream<T, false>;

// Like AsyncStream, but the producer may end it with an error, which next() throws once.
template <class T>
using AsyncThrowingStream = detail::BasicAsyncStream<T, true>;

}  // namespace platform
