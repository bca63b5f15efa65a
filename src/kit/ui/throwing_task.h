#pragma once

#include <QObject>
#include <QPointer>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include "platform/core/executor.h"
#include "platform/core/task.h"

namespace kit {

// Runs `action` as the task of `view`: started on the main executor, cancelled when the view goes. When the action
// throws, the error is handed to `setError` on the main thread (while the view is still there); when it succeeds,
// `setError` is not called, so an earlier error stays. A cancellation that the action throws counts like any
// other error.
platform::Task<void> throwingTask(QObject& view, std::function<void(std::exception_ptr)> setError,
                                  std::function<platform::Task<void>()> action);

// The transform's result for a value, none without a value (the transform is then not called). Errors propagate.
template <class T, class F>
auto asyncMap(std::optional<T> value, F transform)
    -> platform::Task<std::optional<typename platform::detail::IsTask<std::invoke_result_t<F&, T>>::Value>> {
  if (!value) co_return std::nullopt;
  auto task = transform(std::move(*value));
  co_return co_await task;
}

// The same for a transform whose result is itself optional: that result as it is.
template <class T, class F>
auto asyncFlatMap(std::optional<T> value, F transform)
    -> platform::Task<typename platform::detail::IsTask<std::invoke_result_t<F&, T>>::Value> {
  if (!value) co_return std::nullopt;
  auto task = transform(std::move(*value));
  co_return co_await task;
}

// Hashes a value by its identifier alone, for values whose `id` says which they are.
template <class T>
struct IdentifierHash {
  std::size_t operator()(const T& value) const { return std::hash<std::decay_t<decltype(value.id)>>{}(value.id); }
};

}  // namespace kit
