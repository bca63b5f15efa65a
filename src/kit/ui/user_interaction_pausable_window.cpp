#include "kit/ui/user_interaction_pausable_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

namespace kit {

UserInteractionPausableWindow::UserInteractionPausableWindow(QWidget* parent) : QMainWindow(parent) {}

const std::vector<QEvent::Type>& UserInteractionPausableWindow::pausedEventTypes() {
  static const std::vector<QEvent::Type> types{
      QEvent::MouseButtonPress,
      QEvent::MouseButtonRelease,
      QEvent::MouseButtonDblClick,
      QEvent::MouseMove,
      QEvent::KeyPress,
      QEvent::KeyRelease,
      QEvent::Wheel,
      QEvent::TabletPress,
      QEvent::TabletRelease,
      QEvent::TabletMove,
      QEvent::TouchBegin,
      QEvent::TouchUpdate,
      QEvent::TouchEnd,
      QEvent::TouchCancel,
      QEvent::Gesture,
      QEvent::NativeGesture,
      QEvent::ContextMenu,
  };
  return types;
}

void UserInteractionPausableWindow::setUserInteractionEnabled(bool enabled) {
  if (enabled == isUserInteractionEnabled_) return;
  isUserInteractionEnabled_ = enabled;
  // The application's filter sees an event before any widget of the window does.
  if (enabled) {
    qApp->removeEventFilter(this);
  } else {
    qApp->installEventFilter(this);
  }
}

bool UserInteractionPausableWindow::isMine(QObject* receiver) const {
  if (receiver->isWidgetType()) return static_cast<QWidget*>(receiver)->window() == this;
  return receiver->isWindowType() && receiver == windowHandle();
}

bool UserInteractionPausableWindow::eventFilter(QObject* watched, QEvent* event) {
  if (isUserInteractionEnabled_ || !isMine(watched)) return QMainWindow::eventFilter(watched, event);
  const auto& paused = pausedEventTypes();
  if (std::find(paused.begin(), paused.end(), event->type()) == paused.end()) return false;
  // A move with no button held is hovering, which tracking still sees.
  if (event->type() == QEvent::MouseMove && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) return false;
  return true;
}

}  // namespace kit
