#include "kit/ui/welcome_popover.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>

#include "kit/foundation/locks.h"
#include "kit/foundation/timers.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/status_item_shake.h"
#include "kit/ui/tooltip.h"
#include "platform/core/continuation.h"
#include "platform/core/executor.h"
#include "platform/core/sleep.h"

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
  font.setPixelSize(24);
  auto* popover = new Tooltip("statusBarButtonWelcomePopover", "Hello, I'm " + ZvApp::name(),
                              {.showOnlyOnce = false,
                               .closeOnClick = true,
                               .maxWidth = 1000,
                               .font = font,
                               .contentInsets = QMargins(26, 20, 26, 20),
                               .onClick = {}});
  popover->setAttribute(Qt::WA_DeleteOnClose);
  QPointer<Tooltip> guard(popover);

  QObject::connect(popover, &Tooltip::closed, popover, [complete] { complete(); });
  // Only the primary click on the item ends it; the secondary click does its own work and leaves it open.
  QObject::connect(&item, &QSystemTrayIcon::activated, popover, [guard](QSystemTrayIcon::ActivationReason reason) {
    if (guard && reason == QSystemTrayIcon::Trigger) guard->close();
  });

  popover->showUnderStatusItem(item);
  shakeStatusItem(item, std::chrono::milliseconds(300), ShakeAxis::vertical, 2);
  // A popover that could not be shown is released by its close all the same. The timer lives with the popover, so it
  // can never fire after the popover is gone.
  auto timer = makeTimer(std::chrono::seconds(6), false, [guard, complete](platform::Timer&) {
    if (guard) guard->close();
    complete();
  });
  timer->start();
  timer.release()->setParent(popover);
}

}  // namespace

platform::Task<void> showWelcomePopover(QSystemTrayIcon& item) {
  QPointer<QSystemTrayIcon> guard(&item);
  try {
    co_await platform::sleepFor(std::chrono::milliseconds(100));
  } catch (const platform::CancellationError&) {
    // The greeting is shown all the same.
  }
  auto start = [guard](const platform::Continuation<void>& done) {
    platform::mainExecutor().post([guard, done] {
      if (!guard) return done.resume();
      present(*guard, [done] { done.resume(); });
    });
  };
  co_await platform::withContinuation<void>("showWelcomePopover()", start);
}

}  // namespace kit
