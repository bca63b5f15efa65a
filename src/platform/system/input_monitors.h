#pragma once

#include <functional>
#include <optional>

#include "platform/system/input_event.h"

namespace platform {

using MonitorId = int;

// Watching keyboard and mouse events. Main thread only.
class InputMonitors {
 public:
  // Events of the whole session. Only modifier changes (flagsChanged) are seen: they come from the XKB state
  // of the X server, with no grab. None without X11 (the caller reports it).
  static std::optional<MonitorId> addGlobalMonitor(EventMask mask, std::function<void(const Event&)> handler);
  // Events sent to this application before they are dispatched. The handler returns the event to go on with:
  // none swallows it, another event replaces it. None without a Qt application.
  static std::optional<MonitorId> addLocalMonitor(EventMask mask,
                                                  std::function<std::optional<Event>(const Event&)> handler);
  static void removeMonitor(MonitorId id);
  // The modifier flags held right now anywhere in the session (0 without X11).
  static uint64_t currentModifierFlags();
};

}  // namespace platform
