#pragma once

#include "kit/foundation/alert.h"

class QWidget;

namespace kit {

// Makes an alert's detail area as wide as the alert's message, lined up under it, once the alert is laid out. Where
// its window holds no alert message, "Couldn't detect the message textfield view of the NSAlert panel" is reported
// and the area keeps its width.
void adjustAccessoryWidthToMessage(QWidget& accessory);

// Shows alerts as Qt dialogs: icon, bold message, informative text, optional detail area and suppression
// checkbox, and the buttons right-aligned with the first one rightmost. Answers are 1000 + the button's index.
// The application installs one at start-up (kit::setAlertPresenter).
class QtAlertPresenter final : public AlertPresenter {
 public:
  AlertResponse runModal(const Alert& alert) override;
  void beginSheet(const Alert& alert, QWidget* window, std::function<void(AlertResponse)> completion) override;
  void endSheet(QWidget* window) override;
  void activateApp() override;
};

}  // namespace kit
