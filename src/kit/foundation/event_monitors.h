#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "kit/foundation/weak_anchor.h"
#include "platform/core/async_stream.h"
#include "platform/core/rx.h"
#include "platform/system/input_event.h"
#include "platform/system/input_monitors.h"

namespace kit {

using platform::Event;
using platform::EventMask;

// Events of the whole session: modifier changes, keys, mouse buttons, mouse movement and the scroll wheel. Observes
// only. A mask this session cannot serve starts nothing and is reported once. Main thread only.
class GlobalEventMonitor {
 public:
  GlobalEventMonitor(EventMask events, std::function<void(const Event&)> callback);
  ~GlobalEventMonitor();
  GlobalEventMonitor(const GlobalEventMonitor&) = delete;
  GlobalEventMonitor& operator=(const GlobalEventMonitor&) = delete;

  // A running monitor is stopped first, so that starting twice never leaves a system monitor behind.
  GlobalEventMonitor& start();
  void stop();
  bool isRunning() const { return monitor_.has_value(); }

  EventMask events;
  std::function<void(const Event&)> callback;

 private:
  std::optional<platform::MonitorId> monitor_;
};

// Events sent to this application before they are dispatched. The callback may swallow (none) or replace an
// event; every event is also sent to objectWillChange. Key presses come before the application's shortcuts: one
// that is swallowed or replaced acts none. The callback may release its monitor. Main thread only.
class LocalEventMonitor {
 public:
  LocalEventMonitor(EventMask events, std::function<std::optional<Event>(const Event&)> callback = {});
  ~LocalEventMonitor();
  LocalEventMonitor(const LocalEventMonitor&) = delete;
  LocalEventMonitor& operator=(const LocalEventMonitor&) = delete;

  LocalEventMonitor& start();
  void stop();
  bool isRunning() const { return monitor_.has_value(); }

  EventMask events;
  std::function<std::optional<Event>(const Event&)> callback;
  platform::rx::PassthroughSubject<Event> objectWillChange;

 private:
  std::optional<platform::MonitorId> monitor_;
  WeakAnchor<LocalEventMonitor> anchor_{this};
};

// When a local filter runs: always, only while a menu (a popup of this application) tracks the mouse and keys, or
// only while none does.
enum class RunLoopMode { common, defaultMode, eventTracking };

// A local filter that works only in one mode of the event loop: the callback sees the events of the mask sent to
// this application while the loop is in that mode, and keeps (or replaces) an event by returning it, or drops it by
// returning none. Events outside the mask or the mode pass unchanged and keep their order. The callback may release
// its monitor. Main thread only.
class RunLoopLocalEventMonitor {
 public:
  RunLoopLocalEventMonitor(EventMask events, RunLoopMode runLoopMode,
                           std::function<std::optional<Event>(const Event&)> callback);
  ~RunLoopLocalEventMonitor();
  RunLoopLocalEventMonitor(const RunLoopLocalEventMonitor&) = delete;
  RunLoopLocalEventMonitor& operator=(const RunLoopLocalEventMonitor&) = delete;

  void start();
  void stop();
  bool isRunning() const { return monitor_.has_value(); }

  const RunLoopMode runLoopMode;

 private:
  EventMask events_;
  std::function<std::optional<Event>(const Event&)> callback_;
  std::optional<platform::MonitorId> monitor_;
};

// A filter of the raw input events of this application's own windows, before the toolkit handles them. The callback
// answers true to consume an event. A started monitor keeps itself alive until it is stopped. On this desktop the
// event dispatcher and the application are one target: `useGlobalEventDispatcher` changes nothing. Main thread.
class CarbonLocalEventMonitor : public std::enable_shared_from_this<CarbonLocalEventMonitor> {
 public:
  using EventType = platform::NativeEventKind;

  static std::shared_ptr<CarbonLocalEventMonitor> make(std::set<EventType> events, bool useGlobalEventDispatcher,
                                                       std::function<bool(const Event&)> callback);
  ~CarbonLocalEventMonitor();
  CarbonLocalEventMonitor(const CarbonLocalEventMonitor&) = delete;
  CarbonLocalEventMonitor& operator=(const CarbonLocalEventMonitor&) = delete;

  // Installs the filter for the event kinds, in the order of EventType; nothing for an empty set.
  CarbonLocalEventMonitor& start();
  void stop();
  bool isRunning() const { return eventHandler_.has_value(); }

  const std::set<EventType> events;
  const bool useGlobalEventDispatcher;

 private:
  CarbonLocalEventMonitor(std::set<EventType> events, bool useGlobalEventDispatcher,
                          std::function<bool(const Event&)> callback);

  std::function<bool(const Event&)> callback_;
  std::optional<platform::MonitorId> eventHandler_;
};

// The global monitor as a stream that never ends by itself; the consumer's end removes the monitor. Without a
// backend (no X11 session) the stream yields nothing, and that is reported once.
platform::AsyncStream<Event> globalEventStream(EventMask matching);

}  // namespace kit
