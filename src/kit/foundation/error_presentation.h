#pragma once

#include "kit/foundation/alert.h"
#include "kit/foundation/general_error.h"
#include "platform/core/task.h"

namespace kit {

// The alert that shows an error: its description, its recovery suggestion, and its recovery options as buttons
// ("OK" when it has none).
Alert errorAlert(const Error& error);

// Runs the recovery option that the answer to errorAlert(error) chose, through the error's recovery attempter.
void attemptRecovery(const PlatformError& error, const AlertResponse& response);

// Shows the error application-modal on the main thread, after bringing the application forward. Returns at once;
// a chosen recovery option runs through the error's recovery attempter. (Modal to a window: kit/ui/error_sheet.h.)
void presentAsModal(const Error& error);
// The same, ending when the user has dismissed the alert.
platform::Task<void> presentAsModalAsync(const Error& error);

}  // namespace kit
