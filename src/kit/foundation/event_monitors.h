#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/core/async_stream.h"
#include "platform/core/rx.h"
#include "platform/system/input_event.h"
#include "platform/system/input_monitors.h"

namespace kit {

using platform::Event;
using platform::EventMask;

// Events of the whole session (on this desktop: modifier changes). Observes only. Main thread only.
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
// event; every event is also sent to objectWillChange. Main thread only.
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
  std::shared_ptr<LocalEventMonitor*> self_ = std::make_shared<LocalEventMonitor*>(this);
};

// The global monitor as a stream that never ends by itself; the consumer's end removes the monitor. Without a
// backend (no X11 session) the stream yields nothing, and that is reported once.
platform::AsyncStream<Event> globalEventStream(EventMask matching);

}  // namespace kit
