#include "platform/system/input_monitors.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPointer>
#include <algorithm>
#include <map>
#include <utility>

#include "platform/system/global_input_watcher.h"
#include "platform/system/modifier_flags.h"
#include "platform/system/qt_input_events.h"
#include "platform/system/x11_connection.h"

namespace platform {

namespace {

// Local monitors: an event filter on the application, in front of every widget. Each event reaches the monitors once,
// although Qt hands one that a widget leaves to its parent on to the parent, through the filter again. Key presses
// reach the monitors before the application's shortcuts do: Qt asks the focused object first (ShortcutOverride), and
// that is where the monitors decide. A press they swallow or replace acts no shortcut; one they let through goes on.
class LocalFilter final : public QObject {
 public:
  struct Handler {
    EventMask mask;
    std::function<std::optional<Event>(const Event&)> handler;
  };
  std::map<MonitorId, Handler> handlers;

  bool eventFilter(QObject* receiver, QEvent* qevent) override {
    if (replaying_ || isHandedOn(*receiver)) return false;
    std::optional<Delivery> delivery = deliveryOf(*receiver, *qevent);
    if (!delivery) return false;
    if (passedOn_ && delivery->continues(*passedOn_)) {
      passedOn_->receiver = receiver;
      return false;
    }
    passedOn_.reset();
    const bool handled = qevent->type() == QEvent::ShortcutOverride
                             ? decideBeforeShortcuts(*static_cast<QKeyEvent*>(qevent))
                             : filter(*receiver, *qevent);
    if (!handled) passedOn_ = delivery;
    return handled;
  }

 private:
  // One key or mouse event on its way from a widget to the widget's parents.
  struct Delivery {
    QEvent::Type type;
    int keyOrButton;
    Qt::KeyboardModifiers modifiers;
    quint32 nativeScanCode;
    quint64 timestamp;
    QPointF globalPosition;
    QPointer<QObject> receiver;

    bool continues(const Delivery& earlier) const {
      if (type != earlier.type || keyOrButton != earlier.keyOrButton || modifiers != earlier.modifiers ||
          nativeScanCode != earlier.nativeScanCode || timestamp != earlier.timestamp ||
          globalPosition != earlier.globalPosition || earlier.receiver.isNull()) {
        return false;
      }
      for (const QObject* parent = earlier.receiver->parent(); parent != nullptr; parent = parent->parent()) {
        if (parent == receiver) return true;
      }
      return false;
    }
  };

  static std::optional<Delivery> deliveryOf(QObject& receiver, const QEvent& qevent) {
    switch (qevent.type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride: {
        const auto& key = static_cast<const QKeyEvent&>(qevent);
        return Delivery{qevent.type(),   key.key(), key.modifiers(), key.nativeScanCode(),
                        key.timestamp(), {},        &receiver};
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseButtonRelease: {
        const auto& mouse = static_cast<const QMouseEvent&>(qevent);
        return Delivery{qevent.type(),     static_cast<int>(mouse.button()), mouse.modifiers(), 0,
                        mouse.timestamp(), mouse.globalPosition(),           &receiver};
      }
      default:
        return std::nullopt;
    }
  }

  bool filter(QObject& receiver, QEvent& qevent) {
    // A decision stands also when the monitor that made it is gone by now.
    std::optional<Decision> decided;
    if (qevent.type() == QEvent::KeyPress) decided = std::exchange(decided_, std::nullopt);
    const bool isDecided = decided && decided->isFor(static_cast<QKeyEvent&>(qevent));
    if (handlers.empty() && !isDecided) return false;
    auto converted = eventFromQt(qevent);
    if (!converted) return false;
    std::optional<Event> event = isDecided ? decided->outcome : filtered(*converted);
    if (!event) return true;  // swallowed
    if (isUnchanged(*event, *converted)) return false;
    int key = (qevent.type() == QEvent::KeyPress || qevent.type() == QEvent::KeyRelease)
                  ? static_cast<QKeyEvent&>(qevent).key()
                  : 0;
    replay(&receiver, *event, key);
    return true;
  }

  // What the monitors made of a key press when Qt asked about shortcuts, for the press that follows.
  struct Decision {
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 nativeScanCode;
    quint64 timestamp;
    std::optional<Event> outcome;

    bool isFor(const QKeyEvent& press) const {
      return press.key() == key && press.modifiers() == modifiers && press.nativeScanCode() == nativeScanCode &&
             press.timestamp() == timestamp;
    }
  };

  // A widget's window hands its key and mouse events on to the widget they are for: they are seen there, once.
  static bool isHandedOn(const QObject& receiver) {
    return receiver.isWindowType() && receiver.inherits("QWidgetWindow");
  }

  static bool isUnchanged(const Event& event, const Event& original) {
    return event.type == original.type && event.nativeKeyCode == original.nativeKeyCode &&
           event.modifierFlags == original.modifierFlags && event.characters == original.characters;
  }

  // The event after every monitor of its type: none once one swallows it.
  std::optional<Event> filtered(Event event) {
    auto current = handlers;
    for (auto& [id, h] : current) {
      if (handlers.count(id) == 0 || !maskContains(h.mask, event.type)) continue;
      auto result = h.handler(event);
      if (!result) return std::nullopt;
      event = *result;
    }
    return event;
  }

  bool decideBeforeShortcuts(QKeyEvent& override) {
    decided_.reset();
    if (handlers.empty()) return false;
    const QKeyEvent press(QEvent::KeyPress, override.key(), override.modifiers(), override.nativeScanCode(),
                          override.nativeVirtualKey(), override.nativeModifiers(), override.text(),
                          override.isAutoRepeat());
    auto converted = eventFromQt(press);
    if (!converted || converted->type != EventType::keyDown) return false;
    const bool watched = std::any_of(handlers.begin(), handlers.end(), [](const auto& entry) {
      return maskContains(entry.second.mask, EventType::keyDown);
    });
    if (!watched) return false;
    auto outcome = filtered(*converted);
    decided_ = Decision{override.key(), override.modifiers(), override.nativeScanCode(), override.timestamp(), outcome};
    if (outcome && isUnchanged(*outcome, *converted)) return false;
    override.accept();  // no shortcut acts on it: the press comes as it is, to be swallowed or replaced
    return true;
  }

  void replay(QObject* receiver, const Event& event, int key) {
    if (event.type != EventType::keyDown && event.type != EventType::keyUp) return;  // only keys are replaced
    QKeyEvent replacement(event.type == EventType::keyDown ? QEvent::KeyPress : QEvent::KeyRelease, key,
                          qtFromFlags(event.modifierFlags), event.nativeKeyCode, 0, 0,
                          QString::fromStdString(event.characters), event.isARepeat);
    replaying_ = true;
    QCoreApplication::sendEvent(receiver, &replacement);
    replaying_ = false;
  }

  bool replaying_ = false;
  std::optional<Decision> decided_;
  std::optional<Delivery> passedOn_;  // the last event the monitors let through, where it is now
};

LocalFilter* localFilter() {
  static LocalFilter* filter = [] {
    auto* f = new LocalFilter;
    QCoreApplication::instance()->installEventFilter(f);
    return f;
  }();
  return filter;
}

MonitorId nextMonitorId = 1;

}  // namespace

std::optional<MonitorId> InputMonitors::addGlobalMonitor(EventMask mask, std::function<void(const Event&)> handler) {
  if (globalMonitorUnavailableReason(mask)) return std::nullopt;
  MonitorId id = nextMonitorId++;
  GlobalInputWatcher::shared()->add(id, mask, std::move(handler));
  return id;
}

std::optional<std::string> InputMonitors::globalMonitorUnavailableReason(EventMask mask) {
  GlobalInputWatcher* watcher = GlobalInputWatcher::shared();
  if (watcher == nullptr) return "Events of other applications cannot be watched: this needs an X11 session.";
  return watcher->unavailableReason(mask);
}

std::optional<MonitorId> InputMonitors::addNativeMonitor(std::vector<NativeEventKind> kinds,
                                                         NativeEventFilter::Handler handler) {
  NativeEventFilter* filter = NativeEventFilter::shared();
  if (filter == nullptr || kinds.empty()) return std::nullopt;
  MonitorId id = nextMonitorId++;
  filter->add(id, std::move(kinds), std::move(handler));
  return id;
}

std::optional<MonitorId> InputMonitors::addLocalMonitor(EventMask mask,
                                                        std::function<std::optional<Event>(const Event&)> handler) {
  if (QCoreApplication::instance() == nullptr) return std::nullopt;
  MonitorId id = nextMonitorId++;
  localFilter()->handlers.emplace(id, LocalFilter::Handler{mask, std::move(handler)});
  return id;
}

void InputMonitors::removeMonitor(MonitorId id) {
  if (GlobalInputWatcher* watcher = X11Connection::shared() ? GlobalInputWatcher::shared() : nullptr) {
    if (watcher->remove(id)) return;
  }
  if (qGuiApp != nullptr) {
    if (NativeEventFilter* filter = NativeEventFilter::shared(); filter != nullptr && filter->remove(id)) return;
  }
  if (QCoreApplication::instance() != nullptr) localFilter()->handlers.erase(id);
}

uint64_t InputMonitors::currentModifierFlags() {
  GlobalInputWatcher* watcher = GlobalInputWatcher::shared();
  return watcher != nullptr ? watcher->currentFlags() : 0;
}

std::optional<uint64_t> InputMonitors::pressesSoFar() {
  GlobalInputWatcher* watcher = GlobalInputWatcher::shared();
  return watcher != nullptr ? watcher->pressCount() : std::nullopt;
}

bool InputMonitors::isNonModifierKeyHeld() {
  GlobalInputWatcher* watcher = GlobalInputWatcher::shared();
  return watcher != nullptr && watcher->nonModifierKeyHeld();
}

}  // namespace platform
