#include "kit/ui/error_alert.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <variant>
#include <vector>

namespace kit {

namespace {

template <class T>
std::optional<T> userInfoValue(const Error& error, const char* key) {
  const UserInfo info = error.userInfo();
  auto it = info.find(key);
  if (it == info.end()) return std::nullopt;
  if (const T* value = std::get_if<T>(&it->second)) return *value;
  return std::nullopt;
}

std::optional<std::string> failureReason(const Error& error) {
  if (auto reason = error.failureReason()) return reason;
  return userInfoValue<std::string>(error, platform::userinfo::localizedFailureReason);
}

struct Recovery {
  std::vector<std::string> options;
  std::shared_ptr<ErrorRecoveryAttempter> attempter;
};

std::optional<Recovery> recovery(const Error& error) {
  auto options = userInfoValue<std::vector<std::string>>(error, platform::userinfo::localizedRecoveryOptions);
  auto attempter = userInfoValue<std::shared_ptr<ErrorRecoveryAttempter>>(error, platform::userinfo::recoveryAttempter);
  if (!options || !attempter || !*attempter) return std::nullopt;
  return Recovery{std::move(*options), std::move(*attempter)};
}

constexpr size_t maximumRecoveryButtons = 2;

// The error a view's alert shows, kept with the view. The alert belongs to the view: it comes up for an error written
// while the view is on screen; one written while it is off screen (a task cancelled as its window closes) waits in
// the binding without an alert.
class ErrorAlertState final : public QObject {
 public:
  explicit ErrorAlertState(QWidget& view) : QObject(&view), view_(&view) { setObjectName(name); }

  static constexpr const char* name = "kit_errorAlert";

  const std::shared_ptr<const Error>& error() const { return error_; }

  void setError(const std::shared_ptr<const Error>& error) {
    error_ = error;
    if (!error) {
      if (alertWindow_) alertPresenter().endSheet(alertWindow_);
      return;
    }
    if (alertWindow_ || !view_->isVisible()) return;
    alertWindow_ = view_->window();
    QPointer<ErrorAlertState> self(this);
    presentRecoveryErrorAlert(error, alertWindow_, [self] {
      if (!self) return;
      self->alertWindow_ = nullptr;
      self->error_.reset();
    });
  }

 private:
  QWidget* view_;
  std::shared_ptr<const Error> error_;
  // The window the alert is up on; none while no alert is up (the alert goes with its window).
  QPointer<QWidget> alertWindow_;
};

}  // namespace

std::optional<std::string> alertMessage(const Error& error) {
  const auto reason = failureReason(error);
  auto suggestion = error.recoverySuggestion();
  if (!reason || error.localizedDescription().find(*reason) != std::string::npos) return suggestion;
  return suggestion ? *reason + "\n\n" + *suggestion : *reason;
}

Alert recoveryErrorAlert(const Error& error) {
  Alert alert;
  alert.messageText = error.localizedDescription();
  alert.informativeText = alertMessage(error);
  if (auto options = recovery(error)) {
    for (size_t index = 0; index < options->options.size() && index < maximumRecoveryButtons; ++index) {
      alert.addButton(options->options[index]);
    }
    // "Cancel" answers Escape, also when it is the only button.
    alert.buttons.push_back({"Cancel", "\x1b", false});
  } else {
    alert.addButton("OK");
  }
  return alert;
}

void presentRecoveryErrorAlert(const std::shared_ptr<const Error>& error, QWidget* window,
                               std::function<void()> onDismiss) {
  const Alert alert = recoveryErrorAlert(*error);
  auto options = recovery(*error);
  auto finish = [error, options, onDismiss = std::move(onDismiss)](AlertResponse response) {
    // Dismissed first: a recovery that fails again may report its new error, which then has an alert of its own.
    if (onDismiss) onDismiss();
    const int index = response.code - alertFirstButtonReturn;
    if (options && index >= 0 &&
        static_cast<size_t>(index) < std::min(options->options.size(), maximumRecoveryButtons)) {
      options->attempter->attemptRecovery(*error, index);
    }
  };
  if (window) {
    alertPresenter().beginSheet(alert, window, [finish](AlertResponse response) { finish(response); });
  } else {
    finish(alertPresenter().runModal(alert));
  }
}

Binding<std::shared_ptr<const Error>> errorAlert(QWidget& view) {
  auto* state = view.findChild<ErrorAlertState*>(ErrorAlertState::name, Qt::FindDirectChildrenOnly);
  if (!state) state = new ErrorAlertState(view);
  QPointer<ErrorAlertState> held(state);
  return {[held] { return held ? held->error() : nullptr; },
          [held](const std::shared_ptr<const Error>& error) {
            if (held) held->setError(error);
          }};
}

}  // namespace kit
