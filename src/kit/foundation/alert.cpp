#include "kit/foundation/alert.h"

#include <atomic>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/log.h"

namespace kit {

namespace {

class LoggingAlertPresenter final : public AlertPresenter {
 public:
  AlertResponse runModal(const Alert& alert) override {
    logUnshown(alert);
    return {};
  }
  void beginSheet(const Alert& alert, QWidget*, std::function<void(AlertResponse)> completion) override {
    logUnshown(alert);
    if (completion) completion({});
  }
  void endSheet(QWidget*) override {}
  void activateApp() override {}

 private:
  static void logUnshown(const Alert& alert) {
    log({"No alert presenter is installed; the alert is answered with its first button:", alert.messageText,
         alert.informativeText.value_or("")},
        LogType::error, "alertPresenter()");
  }
};

std::atomic<AlertPresenter*> installedPresenter{nullptr};

}  // namespace

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
                AlertStyle style, std::optional<QImage> icon, std::vector<std::string> buttonTitles,
                std::optional<int> defaultButtonIndex, const std::vector<int>& destructiveButtons,
                std::optional<double> minimumWidth, bool showsSuppressionButton,
                std::optional<std::string> suppressionButtonTitle) {
  Alert alert;
  alert.messageText = std::move(title);
  alert.style = style;
  alert.icon = std::move(icon);
  alert.showsSuppressionButton = showsSuppressionButton;
  if (suppressionButtonTitle && alert.showsSuppressionButton) alert.suppressionButtonTitle = *suppressionButtonTitle;
  alert.informativeText = std::move(message);
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

AlertPresenter::~AlertPresenter() {
  AlertPresenter* self = this;
  installedPresenter.compare_exchange_strong(self, nullptr);
}

AlertPresenter& alertPresenter() {
  static LoggingAlertPresenter loggingPresenter;
  AlertPresenter* installed = installedPresenter.load();
  return installed ? *installed : loggingPresenter;
}

void setAlertPresenter(AlertPresenter* presenter) { installedPresenter.store(presenter); }

}  // namespace kit
