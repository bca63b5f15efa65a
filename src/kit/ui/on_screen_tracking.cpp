#include "kit/ui/on_screen_tracking.h"

#include <QEvent>
#include <QWidget>

namespace kit {

OnScreenTracker::OnScreenTracker(QWidget& widget, Callbacks callbacks)
    : QObject(&widget), widget_(&widget), callbacks_(std::move(callbacks)) {
  widget.installEventFilter(this);
  if (widget.isVisible()) report(true);
}

bool OnScreenTracker::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_) return false;
  switch (event->type()) {
    case QEvent::Show:
      report(true);
      break;
    case QEvent::Hide:
      report(false);
      break;
    default:
      break;
  }
  return false;
}

void OnScreenTracker::report(bool onScreen) {
  if (onScreen == isOnScreen_) return;
  isOnScreen_ = onScreen;
  if (callbacks_.onChange) callbacks_.onChange(onScreen);
  const auto& callback = onScreen ? callbacks_.onAppear : callbacks_.onDisappear;
  if (callback) callback();
}

OnScreenTracker* onScreenChange(QWidget& widget, std::function<void(bool)> action) {
  return new OnScreenTracker(widget, {.onChange = std::move(action)});
}

OnScreenTracker* bindIsOnScreen(QWidget& widget, Binding<bool> isOnScreen) {
  // A binding that cannot be written (one made only to read) takes nothing.
  return onScreenChange(widget, [set = std::move(isOnScreen.set)](bool onScreen) {
    if (set) set(onScreen);
  });
}

}  // namespace kit
