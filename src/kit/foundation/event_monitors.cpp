#include "kit/foundation/event_monitors.h"

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"
#include "platform/core/executor.h"
#include "platform/core/log_sink.h"

namespace kit {

namespace {

// Says once per reason why a global monitor could not start.
void reportUnavailableGlobalMonitor(EventMask mask) {
  static std::mutex lock;
  static std::set<std::string> reported;
  auto reason = platform::InputMonitors::globalMonitorUnavailableReason(mask);
  if (!reason) return;
  {
    std::lock_guard guard(lock);
    if (!reported.insert(*reason).second) return;
  }
  ZvApp::reportError(GeneralError(*reason));
}

// True while a popup of this application (a menu, the list of a combo box) is shown: the loop tracks events.
bool isTrackingEvents() {
  if (qGuiApp == nullptr) return false;
  const auto windows = QGuiApplication::topLevelWindows();
  return std::any_of(windows.begin(), windows.end(),
                     [](const QWindow* window) { return window->isVisible() && window->type() == Qt::Popup; });
}

}  // namespace

GlobalEventMonitor::GlobalEventMonitor(EventMask events, std::function<void(const Event&)> callback)
    : events(events), callback(std::move(callback)) {}

GlobalEventMonitor::~GlobalEventMonitor() { stop(); }

GlobalEventMonitor& GlobalEventMonitor::start() {
  stop();
  // The handler holds the callback, not the monitor.
  monitor_ = platform::InputMonitors::addGlobalMonitor(events, callback);
  if (!monitor_) reportUnavailableGlobalMonitor(events);
  return *this;
}

void GlobalEventMonitor::stop() {
  if (auto id = std::exchange(monitor_, std::nullopt)) platform::InputMonitors::removeMonitor(*id);
}

LocalEventMonitor::LocalEventMonitor(EventMask events, std::function<std::optional<Event>(const Event&)> callback)
    : events(events), callback(std::move(callback)) {}

LocalEventMonitor::~LocalEventMonitor() {
  anchor_.release();
  stop();
}

LocalEventMonitor& LocalEventMonitor::start() {
  stop();
  monitor_ = platform::InputMonitors::addLocalMonitor(
      events, [weak = anchor_.weak()](const Event& event) -> std::optional<Event> {
        // A copy: the callback may release the monitor, and with it the closure, while it runs.
        std::function<std::optional<Event>(const Event&)> callback;
        if (auto self = weak.lock()) {
          callback = self->callback;
          self->objectWillChange.send(event);
        }
        if (weak.expired() || !callback) return event;
        return callback(event);
      });
  return *this;
}

void LocalEventMonitor::stop() {
  if (auto id = std::exchange(monitor_, std::nullopt)) platform::InputMonitors::removeMonitor(*id);
}

RunLoopLocalEventMonitor::RunLoopLocalEventMonitor(EventMask events, RunLoopMode runLoopMode,
                                                   std::function<std::optional<Event>(const Event&)> callback)
    : runLoopMode(runLoopMode), events_(events), callback_(std::move(callback)) {}

RunLoopLocalEventMonitor::~RunLoopLocalEventMonitor() { stop(); }

void RunLoopLocalEventMonitor::start() {
  stop();
  monitor_ = platform::InputMonitors::addLocalMonitor(events_, [this](const Event& event) -> std::optional<Event> {
    bool inMode =
        runLoopMode == RunLoopMode::common || (runLoopMode == RunLoopMode::eventTracking) == isTrackingEvents();
    if (!inMode) return event;
    // A copy: the callback may release the monitor, and with it callback_, while it runs.
    auto callback = callback_;
    return callback(event);
  });
}

void RunLoopLocalEventMonitor::stop() {
  if (auto id = std::exchange(monitor_, std::nullopt)) platform::InputMonitors::removeMonitor(*id);
}

std::shared_ptr<CarbonLocalEventMonitor> CarbonLocalEventMonitor::make(std::set<EventType> events,
                                                                       bool useGlobalEventDispatcher,
                                                                       std::function<bool(const Event&)> callback) {
  return std::shared_ptr<CarbonLocalEventMonitor>(
      new CarbonLocalEventMonitor(std::move(events), useGlobalEventDispatcher, std::move(callback)));
}

CarbonLocalEventMonitor::CarbonLocalEventMonitor(std::set<EventType> events, bool useGlobalEventDispatcher,
                                                 std::function<bool(const Event&)> callback)
    : events(std::move(events)), useGlobalEventDispatcher(useGlobalEventDispatcher), callback_(std::move(callback)) {}

CarbonLocalEventMonitor::~CarbonLocalEventMonitor() {
  platform::printLineToStandardOutput("DEINIT - CarbonLocalEventMonitor");
  stop();
}

CarbonLocalEventMonitor& CarbonLocalEventMonitor::start() {
  stop();
  if (events.empty()) return *this;
  // A set of the enumeration iterates in case order already.
  std::vector<EventType> kinds(events.begin(), events.end());
  // The handler holds the monitor, which therefore lives until it is stopped.
  eventHandler_ = platform::InputMonitors::addNativeMonitor(
      std::move(kinds), [self = shared_from_this()](EventType, const Event& event) { return self->callback_(event); });
  return *this;
}

void CarbonLocalEventMonitor::stop() {
  if (auto id = std::exchange(eventHandler_, std::nullopt)) platform::InputMonitors::removeMonitor(*id);
}

platform::AsyncStream<Event> globalEventStream(EventMask matching) {
  return platform::AsyncStream<Event>([matching](const platform::AsyncStream<Event>::Continuation& continuation) {
    auto id = platform::InputMonitors::addGlobalMonitor(
        matching, [continuation](const Event& event) { continuation.yield(event); });
    if (!id) {
      reportUnavailableGlobalMonitor(matching);
      return;
    }
    continuation.onTermination([id = *id](platform::AsyncStream<Event>::Termination) {
      // Monitors live on the main thread; the consumer may end the stream from anywhere.
      platform::mainExecutor().post([id] { platform::InputMonitors::removeMonitor(id); });
    });
  });
}

}  // namespace kit
