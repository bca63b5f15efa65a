#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "platform/system/input_event.h"

namespace platform {

// The kinds of raw input the native event filter tells apart.
enum class NativeEventKind {
  keyDown,
  keyRepeat,
  keyUp,
  keyModifiersChanged,
  mouseDown,
  mouseUp,
  mouseMoved,
  mouseDragged,
  mouseEntered,
  mouseExited,
  mouseWheelMoved,  // vertical wheel steps
  mouseScroll,      // horizontal wheel steps
};

// Watches the X events of this application's own connection before Qt handles them. A handler answers true to
// consume the event (Qt never sees it). Needs a Qt GUI application on the xcb platform. Main thread only.
class NativeEventFilter {
 public:
  using Handler = std::function<bool(NativeEventKind, const Event&)>;

  // None without an application on X11.
  static NativeEventFilter* shared();

  void add(int id, std::vector<NativeEventKind> kinds, Handler handler);
  bool remove(int id);

  // The kind and the event of one X event of Qt's connection, if it is an input event; none otherwise.
  std::optional<std::pair<NativeEventKind, Event>> convert(const void* xcbEvent);
  bool filter(const void* xcbEvent);

 private:
  struct Registration {
    std::set<NativeEventKind> kinds;
    Handler handler;
  };
  NativeEventFilter() = default;

  std::optional<uint8_t> xinputOpcode_;
  std::set<uint32_t> keysDown_;
  std::set<uint32_t> buttonsDown_;
  std::map<int, Registration> registrations_;
};

}  // namespace platform
