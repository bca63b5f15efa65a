#include "kit/app/user_debug_window.h"

#include <QCoreApplication>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "kit/app/app_facts.h"
#include "kit/app/data_reset.h"
#include "kit/app/debug_info.h"
#include "kit/app/debug_window.h"
#include "kit/app/email.h"
#include "kit/app/feedback.h"
#include "kit/foundation/alert.h"
#include "kit/foundation/verbatim_title.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/button_roles.h"
#include "kit/ui/url_opening.h"
#include "kit/ui/window_for_menu_bar_app.h"
#include "kit/ui/window_presentation.h"

namespace kit {

namespace {

QFrame* divider(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

void confirmDeletion(QWidget* window) {
  Alert alert = makeAlert("Delete all data and settings for " + ZvApp::name() + "?", std::nullopt, std::nullopt,
                          AlertStyle::warning, std::nullopt, {"Delete", "Cancel"}, std::nullopt, {0});
  alertPresenter().beginSheet(alert, window, [](AlertResponse response) {
    if (response.code != alertFirstButtonReturn) return;
    deleteSettingsAndDataAndRelaunch();
  });
}

void emailDebugInfo() {
  sendEmail({EmailAddress::developerFeedback()}, ZvApp::name() + " — Debug info", std::nullopt, "debug-info.txt",
            DebugInfo::debugInfoText());
}

}  // namespace

std::string crashLogInstructions() {
  return "Find the crash reports of “" + ZvApp::name() + "” with the command “coredumpctl list quillet” and email " +
         "them to " + EmailAddress::developerFeedback().rawValue() + ".";
}

UserDebugView::UserDebugView(platform::Pasteboard& pasteboard, QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(32, 32, 32, 32);
  layout->setSpacing(8);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  auto add = [this, layout](const std::string& title, std::function<void()> action) {
    auto* button = new QPushButton(verbatimTitle(title), this);
    button->setObjectName(QString::fromStdString(title));
    connect(button, &QPushButton::clicked, this, std::move(action));
    layout->addWidget(button);
    return button;
  };

  markDestructive(*add("Delete Data & Settings", [this] { confirmDeletion(window()); }));
  layout->addWidget(divider(this));
  add("Copy Debug Info", [&pasteboard] { copyDebugInfo(pasteboard); });
  add("Email Debug Info", [] { emailDebugInfo(); });
  layout->addWidget(divider(this));
  add("Send Crash Log", [this] {
    alertPresenter().beginSheet(makeAlert("How to send crash log", crashLogInstructions()), window(), nullptr);
  });
  layout->addWidget(divider(this));
  add("Feedback & Support", [] {
    // Quitting is only right when the page is on its way to the user.
    if (openUrl(feedbackPageUrl()))
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
  });
  layout->addWidget(divider(this));
  auto* quit = new QuitButton(true, this);
  quit->setObjectName(quit->text());
  layout->addWidget(quit);
}

QPushButton* UserDebugView::button(const std::string& title) const {
  return findChild<QPushButton*>(QString::fromStdString(title));
}

UserDebugWindowController::UserDebugWindowController() : SingletonWindowController(new WindowForMenuBarApp) {
  QWidget& frame = *window();
  frame.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* layout = new QVBoxLayout(&frame);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(new UserDebugView);
  setWindowLevel(frame, WindowLevel::floating);
  frame.setWindowTitle(QString::fromStdString(ZvApp::name() + " " + AppFacts::version() + " — Debug"));
  frame.adjustSize();
  centerOnScreen(frame);
}

void UserDebugWindowController::showWindow() {
  SingletonWindowController::showWindow<UserDebugWindowController>(false);
}

}  // namespace kit
