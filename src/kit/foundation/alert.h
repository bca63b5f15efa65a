#pragma once

#include <QImage>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace kit {

enum class AlertStyle { warning, informational, critical };

struct AlertButton {
  std::string title;
  // "\r" answers Return, "\x1b" answers Escape, empty answers no key.
  std::string keyEquivalent;
  bool hasDestructiveAction = false;
};

// What an alert shows, built in one call and handed to a presenter.
struct Alert {
  std::string messageText;
  // The text under the message; none shows no text there (an empty one still takes its place).
  std::optional<std::string> informativeText;
  AlertStyle style = AlertStyle::warning;
  // The image shown; without one the icon theme's icon of that name; without either the style's icon.
  std::optional<QImage> icon;
  std::optional<std::string> iconName;
  std::vector<AlertButton> buttons;
  bool showsSuppressionButton = false;
  std::string suppressionButtonTitle = "Do not show this message again";

  // The area under the message: an empty spacer that widens the alert, or a read-only detail text.
  struct Accessory {
    double width = 0;
    double height = 0;
    std::optional<std::string> detailText;
    // The detail area lines up with the message text instead of keeping its starting width.
    bool alignsWithMessage = false;
  };
  std::optional<Accessory> accessory;

  // Adds a button: the first one answers Return, one titled "Cancel" answers Escape.
  void addButton(std::string title);
  // Gives Return to the button at `index` only; -1 gives it to none. Any other index is a programmer error.
  void setDefaultButton(int index);
  // Marks exactly these buttons destructive (out-of-range indices are ignored); they never answer Return.
  void setDestructiveButtons(const std::vector<int>& indices);
};

// The return code of the first button; the others follow in order.
inline constexpr int alertFirstButtonReturn = 1000;

Alert makeAlert(std::string title, std::optional<std::string> message = std::nullopt,
                std::optional<std::string> detailText = std::nullopt, AlertStyle style = AlertStyle::warning,
                std::optional<QImage> icon = std::nullopt, std::vector<std::string> buttonTitles = {},
                std::optional<int> defaultButtonIndex = std::nullopt, const std::vector<int>& destructiveButtons = {},
                std::optional<double> minimumWidth = std::nullopt, bool showsSuppressionButton = false,
                std::optional<std::string> suppressionButtonTitle = std::nullopt);

struct AlertResponse {
  int code = alertFirstButtonReturn;
  bool suppressionChecked = false;
};

// Shows alerts. The application installs the one of the UI kit (kit/ui/qt_alert_presenter.h) at start-up; tests
// install a recording one so that nothing blocks. Every call is made on the main thread.
class AlertPresenter {
 public:
  // A presenter that is still installed when it goes uninstalls itself.
  virtual ~AlertPresenter();
  // Shows the alert application-modal and returns when the user answered.
  virtual AlertResponse runModal(const Alert& alert) = 0;
  // Shows the alert modal to `window` and returns at once; `completion` runs when the user answered.
  virtual void beginSheet(const Alert& alert, QWidget* window, std::function<void(AlertResponse)> completion) = 0;
  // Closes the latest alert begun on `window` that is still up, answered by no button (code 0): its completion runs.
  virtual void endSheet(QWidget* window) = 0;
  // Brings the application to the front.
  virtual void activateApp() = 0;
};

// The installed presenter. Until one is installed, alerts are only logged and answered with their first button,
// as a program without a display can do no better.
AlertPresenter& alertPresenter();
// Installs the presenter (not owned); nullptr goes back to logging alerts.
void setAlertPresenter(AlertPresenter* presenter);

// Brings the application to the front (main thread).
inline void activateApp() { alertPresenter().activateApp(); }

}  // namespace kit
