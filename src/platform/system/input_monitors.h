#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/input_event.h"
#include "platform/system/native_event_filter.h"

namespace platform {

using MonitorId = int;

// Watching keyboard and mouse events. Main thread only.
class InputMonitors {
 public:
  // Events of the whole session, seen without any grab: modifier changes (flagsChanged), keys (a modifier key is a
  // modifier change only), mouse buttons, mouse movement and drags, and the scroll wheel. None when the mask asks for
  // nothing of these, or this session cannot give what it asks for (the reason says which).
  static std::optional<MonitorId> addGlobalMonitor(EventMask mask, std::function<void(const Event&)> handler);
  static std::optional<std::string> globalMonitorUnavailableReason(EventMask mask);
  // The X events of this application's own windows, before Qt handles them; the handler answers true to consume
  // one. None without a Qt application on X11, or for no kinds.
  static std::optional<MonitorId> addNativeMonitor(std::vector<NativeEventKind> kinds,
                                                   NativeEventFilter::Handler handler);
  // Events sent to this application before they are dispatched. The handler returns the event to go on with:
  // none swallows it, another event replaces it. None without a Qt application.
  static std::optional<MonitorId> addLocalMonitor(EventMask mask,
                                                  std::function<std::optional<Event>(const Event&)> handler);
  static void removeMonitor(MonitorId id);
  // The modifier flags held right now anywhere in the session (0 without X11).
  static uint64_t currentModifierFlags();
  // How many key, button and touch presses the session has seen: two readings differ when something was pressed
  // between them. Only readings are watched for, so typing costs nothing while nobody reads. None where the presses
  // of other applications cannot be seen (globalMonitorUnavailableReason of key events says why).
  static std::optional<uint64_t> pressesSoFar();
  // Whether a key other than a modifier is held down right now anywhere in the session (false without X11).
  static bool isNonModifierKeyHeld();
};

}  // namespace platform
