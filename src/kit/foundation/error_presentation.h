#pragma once

#include "kit/foundation/alert.h"
#include "kit/foundation/general_error.h"
#include "platform/core/task.h"

class QWidget;

namespace kit {

// The alert that shows an error: its description, its recovery suggestion, and its recovery options as buttons
// ("OK" when it has none).
Alert errorAlert(const Error& error);

// Shows the error application-modal on the main thread, after bringing the application forward. Returns at once;
// a chosen recovery option runs through the error's recovery attempter.
void presentAsModal(const Error& error);
// With a window, modal to that window; without one, as presentAsModal(error).
void presentAsModal(const Error& error, QWidget* window);

// The asynchronous forms end when the user has dismissed the alert.
platform::Task<void> presentAsSheet(const Error& error, QWidget* window);
platform::Task<void> presentAsModalAsync(const Error& error);
// As a sheet on the window when there is one, else application-modal.
platform::Task<void> present(const Error& error, QWidget* window);

}  // namespace kit
