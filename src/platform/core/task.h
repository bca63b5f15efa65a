#pragma once

// Tasks on C++20 coroutines.
//
// A coroutine returning Task<T> starts at once (eagerly) and runs inline until its first suspension. It shares
// the executor and the cancellation of the task it was called from (like an awaited async function); called
// outside any task it takes the current executor (else the main executor) and a cancellation of its own.
// spawn() starts a new task on an executor with a cancellation of its own. Every resumption after a suspension
// is posted to the task's executor, so a task on the main executor only ever runs on the main thread.
// A frame is freed as soon as its coroutine finishes; the Task handles keep only the result.
//
// Compiler fault to keep in mind (g++ 12): in an expression that contains co_await, the members of an aggregate
// temporary (a lambda with captures, a braced struct) are destroyed twice. Bind such objects to a named
// variable first when they own anything (shared_ptr, string, function); spawn(...) outside co_await is fine.
// A coroutine lambda keeps its captures in the lambda object: hand the lambda to spawn(), which keeps it alive
// until the task ends, rather than calling a temporary lambda.

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/cancellation.h"
#include "platform/core/error.h"
#include "platform/core/executor.h"

namespace platform {

// What a running task carries: where it resumes and whether it was cancelled.
struct TaskContext {
  Executor* executor = nullptr;
  std::shared_ptr<CancellationState> cancellation;
};

template <class T = void>
class Task;

// Whether the task running on this thread has been cancelled (false outside a task).
bool currentTaskIsCancelled();
// Throws CancellationError when the current task has been cancelled.
void checkCancellation();
// The cancellation of the task running on this thread (nullptr outside a task).
std::shared_ptr<CancellationState> currentTaskCancellation();
// The executor of the task running on this thread, else the executor running this thread's work, else main.
Executor& currentTaskExecutor();

namespace detail {

// The context of the task whose code runs on this thread now (empty outside tasks).
TaskContext& currentContext();

// Sets the current context for the duration of a resumption.
class ContextScope {
 public:
  explicit ContextScope(TaskContext context) : previous_(std::exchange(currentContext(), std::move(context))) {}
  ~ContextScope() { currentContext() = std::move(previous_); }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  TaskContext previous_;
};

// Posts the resumption of a suspended coroutine to its task's executor.
void resumeOn(const TaskContext& context, std::coroutine_handle<> handle);

struct SpawnTag {
  Executor* executor;
};

struct PromiseBase {
  PromiseBase();
  explicit PromiseBase(const SpawnTag& tag);

  TaskContext context;
  bool postStart = false;
  // True while this coroutine's inline segment, started outside any task, is what set the current context.
  bool ownsCurrentContext = false;

  struct InitialAwaiter {
    PromiseBase* promise;
    bool await_ready() const noexcept { return !promise->postStart; }
    void await_suspend(std::coroutine_handle<> h) const { resumeOn(promise->context, h); }
    void await_resume() const noexcept {}
  };
  InitialAwaiter initial_suspend() noexcept { return {this}; }

  struct FinalAwaiter {
    PromiseBase* promise;
    bool await_ready() const noexcept {
      if (promise->ownsCurrentContext) currentContext() = {};
      return true;
    }
    void await_suspend(std::coroutine_handle<>) const noexcept {}
    void await_resume() const noexcept {}
  };
  FinalAwaiter final_suspend() noexcept { return {this}; }

  // Wraps every co_await so that the current context is right in inline segments.
  template <class Inner>
  struct ContextAwaiter {
    Inner inner;
    PromiseBase* promise;
    bool await_ready() { return inner.await_ready(); }
    template <class P>
    auto await_suspend(std::coroutine_handle<P> h) {
      if (promise->ownsCurrentContext) {
        promise->ownsCurrentContext = false;
        currentContext() = {};
      }
      return inner.await_suspend(h);
    }
    decltype(auto) await_resume() {
      if (!currentContext().executor) {
        currentContext() = promise->context;
        promise->ownsCurrentContext = true;
      }
      return inner.await_resume();
    }
  };

  template <class A>
  auto await_transform(A&& awaitable) {
    if constexpr (requires { std::forward<A>(awaitable).operator co_await(); }) {
      using Inner = decltype(std::forward<A>(awaitable).operator co_await());
      return ContextAwaiter<Inner>{std::forward<A>(awaitable).operator co_await(), this};
    } else {
      return ContextAwaiter<A>{std::forward<A>(awaitable), this};
    }
  }
};

template <class T>
struct TaskState {
  std::mutex mutex;
  bool done = false;
  std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> value;
  std::exception_ptr error;
  std::vector<std::function<void()>> waiters;
  std::shared_ptr<CancellationState> cancellation;

  template <class... V>
  void complete(std::exception_ptr failure, V&&... v) {
    std::vector<std::function<void()>> toRun;
    {
      std::lock_guard lock(mutex);
      if (failure)
        error = std::move(failure);
      else if constexpr (std::is_void_v<T>)
        value = true;
      else
        value.emplace(std::forward<V>(v)...);
      done = true;
      toRun.swap(waiters);
    }
    for (auto& w : toRun) w();
  }
};

template <class T>
struct TaskAwaiter {
  std::shared_ptr<TaskState<T>> state;

  bool await_ready() {
    std::lock_guard lock(state->mutex);
    return state->done;
  }
  template <class P>
  bool await_suspend(std::coroutine_handle<P> h) {
    TaskContext context = h.promise().context;
    std::lock_guard lock(state->mutex);
    if (state->done) return false;
    state->waiters.push_back([context, h] { resumeOn(context, h); });
    return true;
  }
  T await_resume() {
    std::lock_guard lock(state->mutex);
    if (state->error) std::rethrow_exception(state->error);
    if constexpr (!std::is_void_v<T>) return *state->value;
  }
};

template <class T>
struct IsTask : std::false_type {};
template <class T>
struct IsTask<Task<T>> : std::true_type {
  using Value = T;
};

}  // namespace detail

template <class T>
class Task {
 public:
  struct promise_type : detail::PromiseBase {
    promise_type() = default;
    template <class F>
    promise_type(const detail::SpawnTag& tag, F&) : PromiseBase(tag) {}

    std::shared_ptr<detail::TaskState<T>> state = std::make_shared<detail::TaskState<T>>();

    Task get_return_object() {
      state->cancellation = context.cancellation;
      return Task(state);
    }
    void unhandled_exception() { state->complete(std::current_exception()); }
    template <class V>
    void return_value(V&& v) {
      state->complete(nullptr, std::forward<V>(v));
    }
  };

  Task() = default;

  // Cancels the task (cooperatively) and everything it awaits inline.
  void cancel() const {
    if (state_) state_->cancellation->cancel();
  }
  bool isCancelled() const { return state_ && state_->cancellation->isCancelled(); }
  std::shared_ptr<CancellationState> cancellation() const { return state_ ? state_->cancellation : nullptr; }
  // The result, or the error rethrown. Awaiting does not cancel anything when the awaiter is cancelled.
  detail::TaskAwaiter<T> operator co_await() const { return {state_}; }
  bool isValid() const { return static_cast<bool>(state_); }

 private:
  explicit Task(std::shared_ptr<detail::TaskState<T>> state) : state_(std::move(state)) {}
  std::shared_ptr<detail::TaskState<T>> state_;
};

template <>
struct Task<void>::promise_type : detail::PromiseBase {
  promise_type() = default;
  template <class F>
  promise_type(const detail::SpawnTag& tag, F&) : PromiseBase(tag) {}

  std::shared_ptr<detail::TaskState<void>> state = std::make_shared<detail::TaskState<void>>();

  Task get_return_object() {
    state->cancellation = context.cancellation;
    return Task(state);
  }
  void unhandled_exception() { state->complete(std::current_exception()); }
  void return_void() { state->complete(nullptr); }
};

namespace detail {

template <class U, class F>
Task<U> spawnAwaiting(SpawnTag, F fn) {
  if constexpr (std::is_void_v<U>)
    co_await fn();
  else
    co_return co_await fn();
}

template <class U, class F>
Task<U> spawnCalling(SpawnTag, F fn) {
  if constexpr (std::is_void_v<U>)
    fn();
  else
    co_return fn();
}

}  // namespace detail

// Starts `fn` as a new task on `executor` (on a later turn of that executor). `fn` may return a Task (its result
// becomes the new task's result) or a plain value. The callable is kept alive until the task finishes.
template <class Fn>
auto spawn(Executor& executor, Fn&& fn) {
  using F = std::decay_t<Fn>;
  using R = std::invoke_result_t<F&>;
  if constexpr (detail::IsTask<R>::value)
    return detail::spawnAwaiting<typename detail::IsTask<R>::Value>(detail::SpawnTag{&executor},
                                                                    F(std::forward<Fn>(fn)));
  else
    return detail::spawnCalling<R>(detail::SpawnTag{&executor}, F(std::forward<Fn>(fn)));
}

// A task on the thread pool that inherits nothing from the caller.
template <class Fn>
auto spawnDetached(Priority priority, Fn&& fn) {
  return spawn(globalExecutor(priority), std::forward<Fn>(fn));
}

namespace detail {

template <class Op, class OnCancel>
auto withCancellationHandler(Op op, OnCancel onCancel) -> Task<typename IsTask<std::invoke_result_t<Op&>>::Value> {
  using U = typename IsTask<std::invoke_result_t<Op&>>::Value;
  std::shared_ptr<CancellationState> state = detail::currentContext().cancellation;
  std::optional<HandlerId> id = state->addHandler(onCancel);
  if (!id) onCancel();
  struct Remove {
    std::shared_ptr<CancellationState> state;
    std::optional<HandlerId> id;
    ~Remove() {
      if (id) state->removeHandler(*id);
    }
  } remove{state, id};
  if constexpr (std::is_void_v<U>)
    co_await op();
  else
    co_return co_await op();
}

}  // namespace detail

// Runs `op()` (which returns a Task) with `onCancel` registered on the current task: onCancel runs at once,
// inline, if the task is already cancelled, otherwise on the thread that cancels it while op runs.
// Closures that own anything must be named variables (see withContinuation for the compiler fault).
template <class Op, class OnCancel>
auto withTaskCancellationHandler(Op&& op, OnCancel&& onCancel) {
  static_assert(std::is_lvalue_reference_v<Op> || std::is_trivially_destructible_v<std::remove_reference_t<Op>>,
                "name the operation closure and pass it as an lvalue");
  static_assert(
      std::is_lvalue_reference_v<OnCancel> || std::is_trivially_destructible_v<std::remove_reference_t<OnCancel>>,
      "name the cancellation handler and pass it as an lvalue");
  return detail::withCancellationHandler(std::decay_t<Op>(op), std::decay_t<OnCancel>(onCancel));
}

}  // namespace platform
