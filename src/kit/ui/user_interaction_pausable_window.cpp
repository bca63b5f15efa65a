#include "kit/ui/user_interaction_pausable_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

#include "platform/system/qt_input_events.h"

namespace kit {

namespace {

bool isKeyEvent(const QEvent& event) {
  return event.type() == QEvent::KeyPress || event.type() == QEvent::KeyRelease ||
         event.type() == QEvent::ShortcutOverride;
}

}  // namespace

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
      // Text an input method commits, and the window's own shortcuts (answered before the key reaches a widget).
      QEvent::InputMethod,
      QEvent::ShortcutOverride,
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
  // A modifier key pressed or let go alone changes the modifiers, which go on.
  if (isKeyEvent(*event) && platform::isModifierKey(static_cast<QKeyEvent*>(event)->key())) return false;
  // Taken by the window, the key starts none of its shortcuts, and is then dropped as a key press.
  if (event->type() == QEvent::ShortcutOverride) event->accept();
  return true;
}

}  // namespace kit
