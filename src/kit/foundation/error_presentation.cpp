#include "kit/foundation/error_presentation.h"

#include <QPointer>
#include <QWidget>

#include "platform/core/continuation.h"
#include "platform/core/executor.h"

namespace kit {
namespace {

namespace keys = platform::userinfo;

void attemptRecovery(const PlatformError& error, const AlertResponse& response) {
  UserInfo info = error.userInfo();
  auto it = info.find(keys::recoveryAttempter);
  if (it == info.end()) return;
  auto attempter = std::get_if<std::shared_ptr<ErrorRecoveryAttempter>>(&it->second);
  if (attempter && *attempter) (*attempter)->attemptRecovery(error, response.code - alertFirstButtonReturn);
}

// A menu-bar application has no window in front: the alert would open behind the active application.
void showModal(const PlatformError& error) {
  AlertPresenter& presenter = alertPresenter();
  presenter.activateApp();
  attemptRecovery(error, presenter.runModal(errorAlert(error)));
}

void showSheet(const PlatformError& error, QWidget* window, std::function<void()> dismissed) {
  alertPresenter().beginSheet(errorAlert(error), window,
                              [error, dismissed = std::move(dismissed)](AlertResponse response) {
                                attemptRecovery(error, response);
                                if (dismissed) dismissed();
                              });
}

// The start closures are named locals: g++ 12 destroys a closure temporary inside a co_await expression twice.
platform::Task<void> sheetTask(std::shared_ptr<const PlatformError> error, QPointer<QWidget> window) {
  auto start = [error, window](platform::Continuation<void> done) {
    platform::mainExecutor().post([error, window, done] { showSheet(*error, window, [done] { done.resume(); }); });
  };
  co_await platform::withContinuation<void>("presentAsSheet(for:)", start);
}

platform::Task<void> modalTask(std::shared_ptr<const PlatformError> error) {
  auto start = [error](platform::Continuation<void> done) {
    platform::mainExecutor().post([error, done] {
      showModal(*error);
      done.resume();
    });
  };
  co_await platform::withContinuation<void>("presentAsModalAsync()", start);
}

}  // namespace

Alert errorAlert(const Error& error) {
  PlatformError bridged = asNSError(error);
  UserInfo info = bridged.userInfo();
  std::vector<std::string> buttons;
  if (auto it = info.find(keys::localizedRecoveryOptions); it != info.end()) {
    if (auto titles = std::get_if<std::vector<std::string>>(&it->second)) buttons = *titles;
  }
  if (buttons.empty()) buttons = {"OK"};
  return makeAlert(bridged.localizedDescription(), bridged.recoverySuggestion(), std::nullopt, AlertStyle::warning,
                   std::nullopt, buttons);
}

void presentAsModal(const Error& error) {
  platform::mainExecutor().post([error = asNSError(error)] { showModal(error); });
}

void presentAsModal(const Error& error, QWidget* window) {
  if (!window) return presentAsModal(error);
  platform::mainExecutor().post(
      [error = asNSError(error), window = QPointer<QWidget>(window)] { showSheet(error, window, nullptr); });
}

platform::Task<void> presentAsSheet(const Error& error, QWidget* window) {
  return sheetTask(std::make_shared<const PlatformError>(asNSError(error)), QPointer<QWidget>(window));
}

platform::Task<void> presentAsModalAsync(const Error& error) {
  return modalTask(std::make_shared<const PlatformError>(asNSError(error)));
}

platform::Task<void> present(const Error& error, QWidget* window) {
  return window ? presentAsSheet(error, window) : presentAsModalAsync(error);
}

}  // namespace kit
