#include "platform/core/task.h"

namespace platform {

namespace detail {

TaskContext& currentContext() {
  thread_local TaskContext context;
  return context;
}

void resumeOn(const TaskContext& context, std::coroutine_handle<> handle) {
  context.executor->post([context, handle] {
    ContextScope scope(context);
    handle.resume();
  });
}

PromiseBase::PromiseBase() {
  TaskContext& current = currentContext();
  if (current.executor) {
    context = current;
    return;
  }
  Executor* executor = currentExecutor();
  context = {executor ? executor : &mainExecutor(), std::make_shared<CancellationState>()};
  current = context;
  ownsCurrentContext = true;
}

PromiseBase::PromiseBase(const SpawnTag& tag)
    : context{tag.executor, std::make_shared<CancellationState>()}, postStart(true) {}

}  // namespace detail

bool currentTaskIsCancelled() {
  const TaskContext& current = detail::currentContext();
  return current.cancellation && current.cancellation->isCancelled();
}

std::shared_ptr<CancellationState> currentTaskCancellation() { return detail::currentContext().cancellation; }

Executor& currentTaskExecutor() {
  if (Executor* e = detail::currentContext().executor) return *e;
  if (Executor* e = currentExecutor()) return *e;
  return mainExecutor();
}

void checkCancellation() {
  if (currentTaskIsCancelled()) throw CancellationError();
}

}  // namespace platform
