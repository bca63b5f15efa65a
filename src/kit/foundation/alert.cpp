#include "kit/foundation/alert.h"

#include "kit/foundation/fatal_error.h"

namespace kit {

void Alert::addButton(std::string title) {
  AlertButton button{std::move(title), {}, false};
  if (buttons.empty())
    button.keyEquivalent = "\r";
  else if (button.title == "Cancel")
    button.keyEquivalent = "\x1b";
  buttons.push_back(std::move(button));
}

void Alert::setDefaultButton(int index) {
  for (auto& button : buttons) {
    if (button.keyEquivalent == "\r") button.keyEquivalent.clear();
  }
  if (index == -1) return;
  precondition(index >= 0 && index < static_cast<int>(buttons.size()), "Default button index names no button");
  buttons[static_cast<size_t>(index)].keyEquivalent = "\r";
}

void Alert::setDestructiveButtons(const std::vector<int>& indices) {
  for (auto& button : buttons) button.hasDestructiveAction = false;
  for (int index : indices) {
    if (index < 0 || index >= static_cast<int>(buttons.size())) continue;
    auto& button = buttons[static_cast<size_t>(index)];
    button.hasDestructiveAction = true;
    if (button.keyEquivalent == "\r") button.keyEquivalent.clear();
  }
}

Alert makeAlert(std::string title, std::optional<std::string> message, std::optional<std::string> detailText,
                AlertStyle style, std::optional<std::string> iconName, std::vector<std::string> buttonTitles,
                std::optional<int> defaultButtonIndex, std::vector<int> destructiveButtons,
                std::optional<double> minimumWidth, bool showsSuppressionButton,
                std::optional<std::string> suppressionButtonTitle) {
  Alert alert;
  alert.messageText = std::move(title);
  alert.style = style;
  alert.iconName = std::move(iconName);
  alert.showsSuppressionButton = showsSuppressionButton;
  if (suppressionButtonTitle && alert.showsSuppressionButton) alert.suppressionButtonTitle = *suppressionButtonTitle;
  if (message) alert.informativeText = *message;
  if (detailText) {
    alert.accessory = Alert::Accessory{minimumWidth.value_or(300), 120, std::move(detailText), !minimumWidth};
  } else if (minimumWidth) {
    alert.accessory = Alert::Accessory{*minimumWidth, 0, std::nullopt, false};
  }
  for (auto& buttonTitle : buttonTitles) alert.addButton(std::move(buttonTitle));
  if (defaultButtonIndex) alert.setDefaultButton(*defaultButtonIndex);
  alert.setDestructiveButtons(destructiveButtons);
  return alert;
}

}  // namespace kit
