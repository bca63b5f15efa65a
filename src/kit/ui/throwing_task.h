#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "kit/foundation/binding.h"
#include "kit/foundation/value_boxes.h"
#include "platform/core/error.h"
#include "platform/core/executor.h"
#include "platform/core/task.h"

class QWidget;

namespace kit {

// Runs `action` as the task of `view` on the main executor: started when the view comes on screen (at once when it
// is on screen already) and again each time it comes back, cancelled when it leaves the screen or goes. When the
// action throws, the error is written into `error`, the binding an error alert shows, on the main thread while the
// view is still there; when it succeeds, `error` is not touched, so an earlier error stays. A cancellation that the
// action throws counts like any other error.
void throwingTask(QWidget& view, Binding<std::shared_ptr<const platform::Error>> error,
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

// Hashes a value by its identifier alone.
template <Identifiable T>
struct IdentifierHash {
  std::size_t operator()(const T& value) const { return std::hash<std::decay_t<decltype(value.id())>>{}(value.id()); }
};

}  // namespace kit
