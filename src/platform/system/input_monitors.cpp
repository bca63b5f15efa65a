#include "platform/system/input_monitors.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QObject>
#include <map>

#include "platform/system/global_input_watcher.h"
#include "platform/system/modifier_flags.h"
#include "platform/system/qt_input_events.h"
#include "platform/system/x11_connection.h"

namespace platform {

namespace {

// Local monitors: an event filter on the application, in front of every widget.
class LocalFilter final : public QObject {
 public:
  struct Handler {
    EventMask mask;
    std::function<std::optional<Event>(const Event&)> handler;
  };
  std::map<MonitorId, Handler> handlers;

  bool eventFilter(QObject* receiver, QEvent* qevent) override {
    if (handlers.empty() || replaying_) return false;
    auto converted = convert(qevent);
    if (!converted) return false;
    Event event = *converted;
    auto current = handlers;
    for (auto& [id, h] : current) {
      if (handlers.count(id) == 0 || !maskContains(h.mask, event.type)) continue;
      auto result = h.handler(event);
      if (!result) return true;  // swallowed
      event = *result;
    }
    if (event.type == converted->type && event.nativeKeyCode == converted->nativeKeyCode &&
        event.modifierFlags == converted->modifierFlags && event.characters == converted->characters) {
      return false;
    }
    int key = (qevent->type() == QEvent::KeyPress || qevent->type() == QEvent::KeyRelease)
                  ? static_cast<QKeyEvent*>(qevent)->key()
                  : 0;
    replay(receiver, event, key);
    return true;
  }

 private:
  static std::optional<Event> convert(QEvent* qevent) { return eventFromQt(*qevent); }

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
