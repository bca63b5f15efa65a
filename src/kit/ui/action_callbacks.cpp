#include "kit/ui/action_callbacks.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <memory>

#include "kit/ui/synthetic_events.h"
#include "platform/system/qt_input_events.h"

namespace kit {

namespace {

// Remembers the input event being delivered. Controls act while the event that used them is delivered, so a
// handler called then sees it; the memory is cleared as soon as the delivery is over.
class CurrentEventTracker final : public QObject {
 public:
  static CurrentEventTracker& shared() {
    static auto* tracker = [] {
      auto* made = new CurrentEventTracker;  // lives for the application
      QCoreApplication::instance()->installEventFilter(made);
      return made;
    }();
    return *tracker;
  }

  std::optional<platform::Event> current;

  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (auto converted = platform::eventFromQt(*event)) {
      current = std::move(converted);
      if (!clearPosted_) {
        clearPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
              clearPosted_ = false;
              current.reset();
            },
            Qt::QueuedConnection);
      }
    }
    return QObject::eventFilter(receiver, event);
  }

 private:
  bool clearPosted_ = false;
};

// Holds a control's handler; a child of the control, so it goes with it. A running handler is kept alive by the call
// itself, so that it may set a new handler on its own control (a "Start" that becomes "Stop") or delete the control
// and still return safely; it is released once it returns.
class ActionTrampoline final : public QObject {
 public:
  ActionTrampoline(QObject* sender, ActionHandler handler)
      : QObject(sender), action(std::make_shared<ActionHandler>(std::move(handler))) {}

  void handleAction() const {
    const std::shared_ptr<ActionHandler> running = action;  // `this` may be deleted by the call
    if (!*running) return;
    if (auto event = currentEvent()) {
      (*running)(*event);
    } else {
      (*running)(mouseEvent(platform::EventType::leftMouseDown));
    }
  }

  std::shared_ptr<ActionHandler> action;
};

ActionTrampoline* replaceTrampoline(QObject& sender, ActionHandler handler) {
  if (QCoreApplication::instance() != nullptr) CurrentEventTracker::shared();
  const QObjectList children = sender.children();
  for (QObject* child : children)
    if (auto* previous = dynamic_cast<ActionTrampoline*>(child)) delete previous;  // also ends its connection
  return new ActionTrampoline(&sender, std::move(handler));
}

}  // namespace

void setOnAction(QAbstractButton& button, ActionHandler handler) {
  auto* trampoline = replaceTrampoline(button, std::move(handler));
  QObject::connect(&button, &QAbstractButton::clicked, trampoline, &ActionTrampoline::handleAction);
}

void setOnAction(QAction& action, ActionHandler handler) {
  auto* trampoline = replaceTrampoline(action, std::move(handler));
  QObject::connect(&action, &QAction::triggered, trampoline, &ActionTrampoline::handleAction);
}

std::optional<platform::Event> currentEvent() {
  if (QCoreApplication::instance() == nullptr) return std::nullopt;
  return CurrentEventTracker::shared().current;
}

bool boolValue(const QAbstractButton& button) {
  if (const auto* box = qobject_cast<const QCheckBox*>(&button)) return box->checkState() != Qt::Unchecked;
  return button.isChecked();
}

void setBoolValue(QAbstractButton& button, bool value) {
  if (auto* box = qobject_cast<QCheckBox*>(&button)) {
    box->setCheckState(value ? Qt::Checked : Qt::Unchecked);
  } else {
    button.setChecked(value);
  }
}

}  // namespace kit
