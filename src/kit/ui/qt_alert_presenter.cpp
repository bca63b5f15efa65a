#include "kit/ui/qt_alert_presenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/verbatim_title.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/app_icon.h"
#include "kit/ui/text_styles.h"
#include "kit/ui/view_conditionals.h"
#include "kit/ui/window_presentation.h"
#include "kit/ui/zv_view.h"

namespace kit {
namespace {

constexpr const char* messageName = "alertMessage";

class AlertDialog final : public QDialog {
 public:
  AlertDialog(const Alert& alert, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(ZvApp::name()));
    auto* columns = new QHBoxLayout(this);
    columns->setSpacing(16);
    columns->setContentsMargins(20, 20, 20, 16);

    auto* iconLabel = new QLabel;
    iconLabel->setPixmap(icon(alert).pixmap(64, 64));
    iconLabel->setAlignment(Qt::AlignTop);
    columns->addWidget(iconLabel, 0, Qt::AlignTop);

    auto* content = new QVBoxLayout;
    content->setSpacing(10);
    columns->addLayout(content, 1);

    // The texts are shown as they are: a description that begins like markup is no markup.
    auto* message = new QLabel(QString::fromStdString(alert.messageText));
    message->setObjectName(messageName);
    message->setTextFormat(Qt::PlainText);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    content->addWidget(message);

    if (QLabel* informative = optionalText(alert.informativeText)) {
      informative->setWordWrap(true);
      informative->setTextInteractionFlags(Qt::TextSelectableByMouse);
      content->addWidget(informative);
    }

    if (alert.accessory) addAccessory(*alert.accessory, content);

    if (alert.showsSuppressionButton) {
      suppression_ = new QCheckBox(verbatimTitle(alert.suppressionButtonTitle));
      content->addWidget(suppression_);
    }

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    const auto& buttons = alert.buttons.empty() ? std::vector<AlertButton>{{"OK", "\r", false}} : alert.buttons;
    const std::optional<size_t> focused = firstFocusIndex(buttons);
    QWidget* firstFocus = this;
    // The first button stands rightmost.
    for (int index = static_cast<int>(buttons.size()) - 1; index >= 0; --index) {
      const AlertButton& choice = buttons[static_cast<size_t>(index)];
      auto* button = new QPushButton(verbatimTitle(choice.title));
      button->setAutoDefault(false);
      button->setDefault(choice.keyEquivalent == "\r");
      if (choice.hasDestructiveAction) {
        button->setProperty("destructive", true);
        button->setStyleSheet("color: #c01c28;");
      }
      if (choice.keyEquivalent == "\x1b") escapeCode_ = alertFirstButtonReturn + index;
      if (focused == static_cast<size_t>(index)) firstFocus = button;
      int code = alertFirstButtonReturn + index;
      connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
      buttonRow->addWidget(button);
    }
    content->addSpacing(6);
    content->addLayout(buttonRow);
    setSizeGripEnabled(false);
    // With no button to start on, the alert itself takes the focus, rather than the first button in the tab order.
    firstFocus->setFocus();
  }

  AlertResponse response() const { return {result(), suppression_ && suppression_->isChecked()}; }

  // Escape answers only through a button that claims it.
  void reject() override {
    if (escapeCode_) done(*escapeCode_);
  }

 private:
  // The button that has the keyboard focus first, which Space answers: the one that answers Return, else the one
  // that answers Escape, else the first listed; never a destructive one.
  static std::optional<size_t> firstFocusIndex(const std::vector<AlertButton>& buttons) {
    for (const char* key : {"\r", "\x1b", ""}) {
      auto button = std::find_if(buttons.begin(), buttons.end(), [key](const AlertButton& button) {
        return !button.hasDestructiveAction && (*key == '\0' || button.keyEquivalent == key);
      });
      if (button != buttons.end()) return static_cast<size_t>(button - buttons.begin());
    }
    return std::nullopt;
  }

  static QIcon icon(const Alert& alert) {
    if (alert.icon && !alert.icon->isNull()) return QIcon(QPixmap::fromImage(*alert.icon));
    if (alert.iconName) {
      QIcon themed = QIcon::fromTheme(QString::fromStdString(*alert.iconName));
      if (!themed.isNull()) return themed;
    }
    // Warnings and notes show the application's icon, so that the user sees who is speaking; only a critical
    // alert shows a sign of its own.
    if (alert.style == AlertStyle::critical) return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
    return appIcon();
  }

  void addAccessory(const Alert::Accessory& accessory, QVBoxLayout* content) {
    int width = static_cast<int>(accessory.width);
    if (!accessory.detailText) {
      auto* spacer = new QWidget;
      spacer->setFixedHeight(0);
      spacer->setMinimumWidth(width);
      content->addWidget(spacer);
      return;
    }
    auto* detail = new QPlainTextEdit(QString::fromStdString(*accessory.detailText));
    detail->setReadOnly(true);
    detail->setFrameShape(QFrame::NoFrame);
    detail->viewport()->setAutoFillBackground(false);
    detail->setStyleSheet("QPlainTextEdit { background: transparent; }");
    applySecondaryTextStyle(*detail, smallSystemFontSize());
    detail->setFixedHeight(static_cast<int>(accessory.height));
    detail->setFixedWidth(width);
    if (accessory.alignsWithMessage) {
      auto* observer = new AddedToSuperviewObserverView(detail);
      observer->setFixedSize(0, 0);
      observer->onAdded = [detail = QPointer<QWidget>(detail)] {
        if (detail) adjustAccessoryWidthToMessage(*detail);
      };
    }
    content->addWidget(detail);
  }

  QCheckBox* suppression_ = nullptr;
  std::optional<int> escapeCode_;
};

// The window an alert of the whole application belongs to: the one of ours the user works in, if any.
QWidget* applicationAlertOwner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

// An alert takes the highest level of the windows it blocks: a window manager keeps a window that stays on top above
// every window of the normal level, so an alert there would open underneath it, and the blocked window would ignore
// every click while the alert's buttons hide behind it.
void keepAboveBlockedWindows(QDialog& alert, const QWidgetList& blocked) {
  const bool blocksWindowOnTop = std::any_of(blocked.begin(), blocked.end(), [](const QWidget* window) {
    return window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  });
  if (blocksWindowOnTop) alert.setWindowFlag(Qt::WindowStaysOnTopHint);
}

}  // namespace

void adjustAccessoryWidthToMessage(QWidget& detail) {
  auto* message = detail.window()->findChild<QLabel*>(messageName);
  if (!message) {
    ZvApp::reportError(GeneralError("Couldn't detect the message textfield view of the NSAlert panel"));
    return;
  }
  detail.setMinimumWidth(0);
  detail.setMaximumWidth(QWIDGETSIZE_MAX);
  detail.setGeometry(message->x(), detail.y(), message->width(), detail.height());
}

AlertResponse QtAlertPresenter::runModal(const Alert& alert) {
  // Owned by the window it belongs to, which it stands over; it goes if that window goes while it is up.
  QPointer<AlertDialog> dialog = new AlertDialog(alert, applicationAlertOwner());
  dialog->setWindowModality(Qt::ApplicationModal);
  keepAboveBlockedWindows(*dialog, QApplication::topLevelWidgets());
  orderFront(*dialog);
  dialog->exec();
  if (!dialog) return {QDialog::Rejected, false};  // answered with no button
  const AlertResponse response = dialog->response();
  delete dialog;
  return response;
}

void QtAlertPresenter::beginSheet(const Alert& alert, QWidget* window, std::function<void(AlertResponse)> completion) {
  auto* dialog = new AlertDialog(alert, window);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
  keepAboveBlockedWindows(*dialog, window ? QWidgetList{window->window()} : QApplication::topLevelWidgets());
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, completion = std::move(completion)](int) {
    if (completion) completion(dialog->response());
  });
  // Not open(): orderFront brings a minimised window back before its alert is mapped, and open() would make an alert
  // of no window modal to no window at all.
  orderFront(*dialog);
}

void QtAlertPresenter::endSheet(QWidget* window) {
  // The alerts begun on the window are its children; those begun on none are windows without a parent.
  QObjectList candidates;
  if (window) {
    candidates = window->children();
  } else {
    for (QWidget* topLevel : QApplication::topLevelWidgets()) candidates.append(topLevel);
  }
  AlertDialog* latest = nullptr;
  for (QObject* candidate : candidates) {
    auto* dialog = dynamic_cast<AlertDialog*>(candidate);
    if (dialog && dialog->isVisible() && (window || !dialog->parentWidget())) latest = dialog;
  }
  if (latest) latest->done(QDialog::Rejected);
}

void QtAlertPresenter::activateApp() {
  // The window the user worked in comes forward; a minimised one stays so until it is itself asked for (choosing
  // "About" leaves the minimised settings window alone).
  QWidgetList candidates{QApplication::activeModalWidget(), QApplication::activeWindow()};
  candidates += QApplication::topLevelWidgets();
  auto target = std::find_if(candidates.begin(), candidates.end(), [](const QWidget* window) {
    return window && window->isVisible() && !window->isMinimized();
  });
  if (target != candidates.end()) orderFront(**target);
}

}  // namespace kit
