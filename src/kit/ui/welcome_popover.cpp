#include "kit/ui/welcome_popover.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>

#include "kit/foundation/locks.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/menu.h"
#include "kit/ui/status_item_shake.h"
#include "kit/ui/tooltip.h"
#include "platform/core/executor.h"

namespace kit {

namespace {

void present(QSystemTrayIcon& item, std::function<void()> completion) {
  // Up to three dismissals may finish the run; only the first one resumes the caller.
  auto once = std::make_shared<Once<void>>();
  auto complete = [once, completion = std::move(completion)] {
    once->run([&] {
      if (completion) platform::mainExecutor().post(completion);
    });
  };

  QFont font;
  font.setPointSize(24);
  auto* popover = new Tooltip("statusBarButtonWelcomePopover", "Hello, I'm " + ZvApp::name(),
                              {.showOnlyOnce = false,
                               .closeOnClick = true,
                               .maxWidth = 1000,
                               .font = font,
                               .contentInsets = QMargins(26, 20, 26, 20),
                               .onClick = {}});
  popover->setAttribute(Qt::WA_DeleteOnClose);
  QPointer<Tooltip> guard(popover);
  QPointer<QSystemTrayIcon> itemGuard(&item);

  // The timer lives with the popover, so it can never fire after the popover is gone.
  auto* timer = new QTimer(popover);
  timer->setSingleShot(true);
  QObject::connect(popover, &Tooltip::closed, popover, [complete] { complete(); });
  QObject::connect(timer, &QTimer::timeout, popover, [guard] {
    if (guard) guard->close();
  });
  // Only the primary click on the item ends it; the secondary click does its own work and leaves it open.
  QObject::connect(&item, &QSystemTrayIcon::activated, popover, [guard](QSystemTrayIcon::ActivationReason reason) {
    if (guard && reason == QSystemTrayIcon::Trigger) guard->close();
  });

  if (!popover->showUnderStatusItem(item)) {
    // Not shown: the timer still ends the wait.
    QObject::connect(timer, &QTimer::timeout, popover, [guard, complete] {
      complete();
      if (guard) guard->deleteLater();
    });
  }
  shakeStatusItem(item, std::chrono::milliseconds(300), ShakeAxis::vertical, 2);
  timer->start(6000);
}

}  // namespace

void showWelcomePopover(QSystemTrayIcon& item, std::function<void()> completion) {
  QPointer<QSystemTrayIcon> guard(&item);
  QTimer::singleShot(100, QCoreApplication::instance(), [guard, completion = std::move(completion)]() mutable {
    if (!guard) {
      if (completion) completion();
      return;
    }
    present(*guard, std::move(completion));
  });
}

}  // namespace kit
