#pragma once

#include <functional>

#include "kit/foundation/error_presentation.h"

class QWidget;

namespace kit {

// An error shown modal to a window, as kit/foundation/error_presentation.h shows it to the application. A window
// closed before the alert comes up leaves the alert without a parent.

// Shows the error as a sheet of the window and returns at once; a chosen recovery option runs through the error's
// recovery attempter, then `didPresent` once the user has dismissed the sheet. Main thread.
void presentErrorAsSheet(const Error& error, QWidget* window, std::function<void()> didPresent = nullptr);
// Modal to the window, on the main thread; returns at once. Without a window, as presentAsModal(error).
void presentAsModal(const Error& error, QWidget* window);
// Modal to the window; ends when the user has dismissed the alert.
platform::Task<void> presentAsSheet(const Error& error, QWidget* window);
// As a sheet on the window when there is one, else application-modal.
platform::Task<void> present(const Error& error, QWidget* window);

}  // namespace kit
