#pragma once

#include <atomic>
#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/core/task.h"

namespace platform {

namespace detail {

// Logs a continuation resumed twice or dropped without being resumed.
void logContinuationMisuse(const std::string& name, bool resumedTwice);

template <class T>
struct ContinuationState {
  std::string name;
  std::atomic<bool> resumed{false};
  std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> value;
  std::exception_ptr error;
  std::coroutine_handle<> handle;
  TaskContext context;

  ~ContinuationState() {
    if (!resumed.load()) logContinuationMisuse(name, false);
  }

  // True when this call is the one that resumes.
  bool claim() {
    if (!resumed.exchange(true, std::memory_order_acq_rel)) return true;
    logContinuationMisuse(name, true);
    return false;
  }
};

}  // namespace detail

// Resumes a suspended task exactly once, from any thread; the task continues on its own executor.
// A second resume is ignored and logged.
template <class T>
class Continuation {
 public:
  explicit Continuation(std::shared_ptr<detail::ContinuationState<T>> state) : state_(std::move(state)) {}

  template <class V>
  requires(!std::is_void_v<T> && std::is_convertible_v<V&&, T>) void resume(V&& value) const {
    if (!state_->claim()) return;
    state_->value.emplace(std::forward<V>(value));
    detail::resumeOn(state_->context, state_->handle);
  }
  void resume() const requires std::is_void_v<T> {
    if (!state_->claim()) return;
    state_->value = true;
    detail::resumeOn(state_->context, state_->handle);
  }
  // NOLINTNEXTLINE(performance-unnecessary-value-param): moved into the state, which the check does not follow
  void resume(std::exception_ptr error) const {
    if (!state_->claim()) return;
    state_->error = std::move(error);
    detail::resumeOn(state_->context, state_->handle);
  }

 private:
  std::shared_ptr<detail::ContinuationState<T>> state_;
};

namespace detail {

template <class T, class Start>
struct ContinuationAwaiter {
  std::string name;
  Start start;
  std::shared_ptr<ContinuationState<T>> state;

  bool await_ready() const noexcept { return false; }
  template <class P>
  void await_suspend(std::coroutine_handle<P> h) {
    state = std::make_shared<ContinuationState<T>>();
    state->name = std::move(name);
    state->handle = h;
    state->context = h.promise().context;
    // Once `start` hands the continuation on, this coroutine may resume and free this awaiter on another
    // thread at any moment: nothing below touches a member.
    Start body = std::move(start);
    Continuation<T> continuation(state);
    ContextScope scope(state->context);
    body(std::move(continuation));
  }
  T await_resume() {
    if (state->error) std::rethrow_exception(state->error);
    if constexpr (!std::is_void_v<T>) return std::move(*state->value);
  }
};

}  // namespace detail

// Suspends the current task and calls `start(Continuation<T>)`, which arranges for one resume.
//
// g++ 12 destroys the members of an aggregate temporary (a lambda with captures, a braced struct) that appears
// in a co_await expression twice. A start closure that owns anything (a shared_ptr, a string) must therefore be
// a named variable, passed as an lvalue; closures that capture only references or plain values may be inline.
template <class T, class Start>
auto withContinuation(std::string_view name, Start&& start) {
  static_assert(std::is_lvalue_reference_v<Start> || std::is_trivially_destructible_v<std::remove_reference_t<Start>>,
                "name the start closure and pass it as an lvalue (see the comment above)");
  return detail::ContinuationAwaiter<T, std::decay_t<Start>>{std::string(name), std::forward<Start>(start), nullptr};
}

}  // namespace platform
