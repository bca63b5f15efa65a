#include "kit/ui/error_sheet.h"

#include <QPointer>
#include <QWidget>

#include "platform/core/continuation.h"
#include "platform/core/executor.h"

namespace kit {

void presentErrorAsSheet(const Error& error, QWidget* window, std::function<void()> didPresent) {
  alertPresenter().beginSheet(errorAlert(error), window,
                              [error = asNSError(error), didPresent = std::move(didPresent)](AlertResponse response) {
                                attemptRecovery(error, response);
                                if (didPresent) didPresent();
                              });
}

namespace {

// The start closure is a named local: g++ 12 destroys a closure temporary inside a co_await expression twice.
platform::Task<void> sheetTask(std::shared_ptr<const PlatformError> error, QPointer<QWidget> window) {
  auto start = [error, window](const platform::Continuation<void>& done) {
    platform::mainExecutor().post(
        [error, window, done] { presentErrorAsSheet(*error, window, [done] { done.resume(); }); });
  };
  co_await platform::withContinuation<void>("presentAsSheet(for:)", start);
}

}  // namespace

void presentAsModal(const Error& error, QWidget* window) {
  if (!window) return presentAsModal(error);
  platform::mainExecutor().post(
      [error = asNSError(error), window = QPointer<QWidget>(window)] { presentErrorAsSheet(error, window); });
}

platform::Task<void> presentAsSheet(const Error& error, QWidget* window) {
  return sheetTask(std::make_shared<const PlatformError>(asNSError(error)), QPointer<QWidget>(window));
}

platform::Task<void> present(const Error& error, QWidget* window) {
  return window ? presentAsSheet(error, window) : presentAsModalAsync(error);
}

}  // namespace kit
