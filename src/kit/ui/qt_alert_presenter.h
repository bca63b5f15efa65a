#pragma once

#include "kit/foundation/alert.h"

namespace kit {

// Shows alerts as Qt dialogs: icon, bold message, informative text, optional detail area and suppression
// checkbox, and the buttons right-aligned with the first one rightmost. Answers are 1000 + the button's index.
// The application installs one at start-up (kit::setAlertPresenter).
class QtAlertPresenter final : public AlertPresenter {
 public:
  AlertResponse runModal(const Alert& alert) override;
  void beginSheet(const Alert& alert, QWidget* window, std::function<void(AlertResponse)> completion) override;
  void activateApp() override;
};

}  // namespace kit
