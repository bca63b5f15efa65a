#include "kit/foundation/error_presentation.h"

#include "platform/core/continuation.h"
#include "platform/core/executor.h"

namespace kit {
namespace {

namespace keys = platform::userinfo;

// A menu-bar application has no window in front: the alert would open behind the active application.
void showModal(const PlatformError& error) {
  AlertPresenter& presenter = alertPresenter();
  presenter.activateApp();
  attemptRecovery(error, presenter.runModal(errorAlert(error)));
}

// The start closure is a named local: g++ 12 destroys a closure temporary inside a co_await expression twice.
platform::Task<void> modalTask(std::shared_ptr<const PlatformError> error) {
  auto start = [error](const platform::Continuation<void>& done) {
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

void attemptRecovery(const PlatformError& error, const AlertResponse& response) {
  UserInfo info = error.userInfo();
  auto it = info.find(keys::recoveryAttempter);
  if (it == info.end()) return;
  auto attempter = std::get_if<std::shared_ptr<ErrorRecoveryAttempter>>(&it->second);
  if (attempter && *attempter) (*attempter)->attemptRecovery(error, response.code - alertFirstButtonReturn);
}

void presentAsModal(const Error& error) {
  platform::mainExecutor().post([error = asNSError(error)] { showModal(error); });
}

platform::Task<void> presentAsModalAsync(const Error& error) {
  return modalTask(std::make_shared<const PlatformError>(asNSError(error)));
}

}  // namespace kit
