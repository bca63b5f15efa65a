#include "kit/ui/awaitable_alert.h"

#include <memory>

#include "platform/core/continuation.h"
#include "platform/core/executor.h"

namespace kit {

platform::Task<AlertResponse> runAlert(Alert alert) {
  auto shown = std::make_shared<const Alert>(std::move(alert));
  auto start = [shown](const platform::Continuation<AlertResponse>& done) {
    platform::mainExecutor().post([shown, done] { done.resume(alertPresenter().runModal(*shown)); });
  };
  co_return co_await platform::withContinuation<AlertResponse>("run()", start);
}

}  // namespace kit
