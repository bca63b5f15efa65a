#include "kit/foundation/event_monitors.h"

#include <atomic>

#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"
#include "platform/core/executor.h"

namespace kit {

namespace {

void reportMissingGlobalMonitor() {
  static std::atomic<bool> reported{false};
  if (reported.exchange(true)) return;
  ZvApp::reportError(
      GeneralError("Keyboard events of other applications cannot be watched: this needs an X11 session."));
}

}  // namespace

GlobalEventMonitor::GlobalEventMonitor(EventMask events, std::function<void(const Event&)> callback)
    : events(events), callback(std::move(callback)) {}

GlobalEventMonitor::~GlobalEventMonitor() { stop(); }

GlobalEventMonitor& GlobalEventMonitor::start() {
  stop();
  // The handler holds the callback, not the monitor.
  monitor_ = platform::InputMonitors::addGlobalMonitor(events, callback);
  return *this;
}

void GlobalEventMonitor::stop() {
  if (auto id = std::exchange(monitor_, std::nullopt)) platform::InputMonitors::removeMonitor(*id);
}

LocalEventMonitor::LocalEventMonitor(EventMask events, std::function<std::optional<Event>(const Event&)> callback)
    : events(events), callback(std::move(callback)) {}

LocalEventMonitor::~LocalEventMonitor() {
  *self_ = nullptr;
  stop();
}

LocalEventMonitor& LocalEventMonitor::start() {
  stop();
  std::weak_ptr<LocalEventMonitor*> weak = self_;
  monitor_ = platform::InputMonitors::addLocalMonitor(events, [weak](const Event& event) -> std::optional<Event> {
    auto self = weak.lock();
    if (!self || *self == nullptr) return event;
    LocalEventMonitor& monitor = **self;
    monitor.objectWillChange.send(event);
    if (monitor.callback) return monitor.callback(event);
    return event;
  });
  return *this;
}

void LocalEventMonitor::stop() {
  if (auto id = std::exchange(monitor_, std::nullopt)) platform::InputMonitors::removeMonitor(*id);
}

platform::AsyncStream<Event> globalEventStream(EventMask matching) {
  return platform::AsyncStream<Event>([matching](platform::AsyncStream<Event>::Continuation continuation) {
    auto id = platform::InputMonitors::addGlobalMonitor(
        matching, [continuation](const Event& event) { continuation.yield(event); });
    if (!id) {
      reportMissingGlobalMonitor();
      return;
    }
    continuation.onTermination([id = *id](platform::AsyncStream<Event>::Termination) {
      // Monitors live on the main thread; the consumer may end the stream from anywhere.
      platform::mainExecutor().post([id] { platform::InputMonitors::removeMonitor(id); });
    });
  });
}

}  // namespace kit
