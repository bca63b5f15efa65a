#include "platform/system/qt_input_events.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>

#include "platform/system/modifier_flags.h"

namespace platform {

namespace {

bool isModifierKey(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Meta || key == Qt::Key_Alt ||
         key == Qt::Key_AltGr || key == Qt::Key_CapsLock || key == Qt::Key_Super_L || key == Qt::Key_Super_R;
}

}  // namespace

uint64_t flagsFromQt(Qt::KeyboardModifiers modifiers) {
  uint64_t flags = 0;
  if (modifiers & Qt::ShiftModifier) flags |= ModifierFlag::shift;
  if (modifiers & Qt::MetaModifier) flags |= ModifierFlag::control;
  if (modifiers & Qt::AltModifier) flags |= ModifierFlag::option;
  if (modifiers & Qt::ControlModifier) flags |= ModifierFlag::command;
  if (modifiers & Qt::KeypadModifier) flags |= ModifierFlag::numericPad;
  return flags;
}

Qt::KeyboardModifiers qtFromFlags(uint64_t flags) {
  Qt::KeyboardModifiers modifiers;
  if (flags & ModifierFlag::shift) modifiers |= Qt::ShiftModifier;
  if (flags & ModifierFlag::control) modifiers |= Qt::MetaModifier;
  if (flags & ModifierFlag::option) modifiers |= Qt::AltModifier;
  if (flags & ModifierFlag::command) modifiers |= Qt::ControlModifier;
  if (flags & ModifierFlag::numericPad) modifiers |= Qt::KeypadModifier;
  return modifiers;
}

std::optional<Event> eventFromQt(const QEvent& qevent) {
  Event event;
  switch (qevent.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const auto& key = static_cast<const QKeyEvent&>(qevent);
      event.modifierFlags = flagsFromQt(key.modifiers());
      if (isModifierKey(key.key())) {
        event.type = EventType::flagsChanged;
      } else {
        event.type = qevent.type() == QEvent::KeyPress ? EventType::keyDown : EventType::keyUp;
        event.characters = key.text().toStdString();
        event.charactersIgnoringModifiers = QKeySequence(key.key()).toString().toLower().toStdString();
      }
      event.nativeKeyCode = key.nativeScanCode();
      event.isARepeat = key.isAutoRepeat();
      event.timestamp = key.timestamp() / 1000.0;
      return event;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
      const auto& mouse = static_cast<const QMouseEvent&>(qevent);
      const bool down = qevent.type() != QEvent::MouseButtonRelease;
      if (mouse.button() == Qt::LeftButton) {
        event.type = down ? EventType::leftMouseDown : EventType::leftMouseUp;
      } else if (mouse.button() == Qt::RightButton) {
        event.type = down ? EventType::rightMouseDown : EventType::rightMouseUp;
      } else {
        event.type = down ? EventType::otherMouseDown : EventType::otherMouseUp;
      }
      event.modifierFlags = flagsFromQt(mouse.modifiers());
      event.location = {mouse.globalPosition().x(), mouse.globalPosition().y()};
      event.timestamp = mouse.timestamp() / 1000.0;
      return event;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace platform
