#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kit/foundation/alert.h"
#include "kit/foundation/binding.h"
#include "kit/foundation/general_error.h"

class QWidget;

namespace kit {

// The message under an error's title: the failure reason (unless the description already says it) and the
// recovery suggestion, one blank line apart; none when there is neither.
std::optional<std::string> alertMessage(const Error& error);

// The alert of a settings row that holds an error: the description as title, alertMessage() as text, the
// first two recovery options as buttons followed by "Cancel" when the error has both options and a recovery
// attempter, else only the default dismiss button.
Alert recoveryErrorAlert(const Error& error);

// Shows that alert (modal to `window` when given) and, when a recovery option was chosen, asks the error's
// recovery attempter with its position. `onDismiss` runs first, once the alert is answered: the row forgets its error,
// and a new error that the recovery reports gets an alert of its own.
void presentRecoveryErrorAlert(const std::shared_ptr<const Error>& error, QWidget* window,
                               std::function<void()> onDismiss = {});

// The error of `view` that an alert shows: writing an error into the binding while the view is on screen shows that
// alert over the view's window; dismissing it by any button empties the binding, and writing none closes it. An
// error written while an alert is up takes its place in the binding without a second alert; one written while the
// view is off screen is kept without an alert. The state lives as long as the view; every call gives a binding to the
// same state.
Binding<std::shared_ptr<const Error>> errorAlert(QWidget& view);

}  // namespace kit
