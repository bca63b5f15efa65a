#include "kit/foundation/async_semaphore.h"

#include <algorithm>

#include "kit/foundation/fatal_error.h"

namespace kit {

namespace {

void decrement(int64_t& value) {
  if (__builtin_sub_overflow(value, 1, &value)) fatalError("AsyncSemaphore count overflow");
}

void increment(int64_t& value) {
  if (__builtin_add_overflow(value, 1, &value)) fatalError("AsyncSemaphore count overflow");
}

}  // namespace

AsyncSemaphore::AsyncSemaphore(int64_t value) : core_(std::make_shared<Core>()) {
  precondition(value >= 0, "AsyncSemaphore requires a count of zero or more");
  core_->value = value;
}

AsyncSemaphore::~AsyncSemaphore() {
  std::lock_guard guard(core_->lock);
  precondition(core_->suspensions.empty(), "AsyncSemaphore released while tasks are suspended on it");
}

platform::Task<> AsyncSemaphore::wait() {
  std::shared_ptr<Core> core = core_;
  core->lock.lock();
  decrement(core->value);
  if (core->value >= 0) {
    core->lock.unlock();
    co_return;
  }
  auto suspension = std::make_shared<Suspension>(Suspension{Suspension::State::suspended, std::nullopt});
  // The lock is released inside the suspension step, once the waiter is in the list.
  auto enqueue = [core, suspension](platform::Continuation<void> c) {
    suspension->continuation = std::move(c);
    core->suspensions.push_front(suspension);
    core->lock.unlock();
  };
  co_await platform::withContinuation<void>("AsyncSemaphore.wait", enqueue);
}

platform::Task<> AsyncSemaphore::waitUnlessCancelled() {
  std::shared_ptr<Core> core = core_;
  core->lock.lock();
  decrement(core->value);
  if (core->value >= 0) {
    if (!platform::currentTaskIsCancelled()) {
      core->lock.unlock();
      co_return;
    }
    increment(core->value);  // the unit goes back
    core->lock.unlock();
    throw platform::CancellationError();
  }

  auto suspension = std::make_shared<Suspension>(Suspension{Suspension::State::pending, std::nullopt});
  std::shared_ptr<platform::CancellationState> cancellation = platform::currentTaskCancellation();
  std::optional<platform::HandlerId> handler;
  if (cancellation) {
    // Already cancelled: the handler runs here, inline, while the (recursive) lock is still held.
    handler = cancellation->addHandler([core, suspension] { core->cancel(suspension); });
    if (!handler) core->cancel(suspension);
  }
  struct RemoveHandler {
    std::shared_ptr<platform::CancellationState> cancellation;
    std::optional<platform::HandlerId> id;
    ~RemoveHandler() {
      if (id) cancellation->removeHandler(*id);
    }
  } removeHandler{cancellation, handler};

  auto enqueue = [core, suspension](platform::Continuation<void> c) {
    if (suspension->state == Suspension::State::cancelled) {
      core->lock.unlock();
      c.resume(std::make_exception_ptr(platform::CancellationError()));
      return;
    }
    suspension->state = Suspension::State::suspendedUnlessCancelled;
    suspension->continuation = std::move(c);
    core->suspensions.push_front(suspension);
    core->lock.unlock();
  };
  co_await platform::withContinuation<void>("AsyncSemaphore.waitUnlessCancelled", enqueue);
}

void AsyncSemaphore::Core::cancel(const std::shared_ptr<Suspension>& suspension) {
  std::unique_lock guard(lock);
  if (suspension->state == Suspension::State::pending) {
    increment(value);
    suspension->state = Suspension::State::cancelled;
    return;
  }
  // Only a waiter still in the list is ours to cancel; one that signal() already took keeps its unit.
  auto it = std::find(suspensions.begin(), suspensions.end(), suspension);
  if (it == suspensions.end()) return;
  suspensions.erase(it);
  increment(value);
  auto continuation = std::move(suspension->continuation);
  suspension->state = Suspension::State::cancelled;
  guard.unlock();
  continuation->resume(std::make_exception_ptr(platform::CancellationError()));
}

bool AsyncSemaphore::signal() {
  std::unique_lock guard(core_->lock);
  increment(core_->value);
  if (core_->suspensions.empty()) return false;
  auto oldest = std::move(core_->suspensions.back());
  core_->suspensions.pop_back();
  if (oldest->state != Suspension::State::suspended && oldest->state != Suspension::State::suspendedUnlessCancelled)
    return false;
  auto continuation = std::move(oldest->continuation);
  oldest->state = Suspension::State::resumed;
  guard.unlock();
  continuation->resume();
  return true;
}

}  // namespace kit
