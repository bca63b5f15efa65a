#pragma once

#include <memory>
#include <string>

#include "platform/system/x11_display.h"

namespace app {

// What the program needs of the session it starts in.
struct DisplayEnvironment {
  std::string display;         // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY
  std::string sessionType;     // XDG_SESSION_TYPE
  bool x11Reachable = false;   // an X server answers at DISPLAY
  // The connection that found it, to be held until the toolkit has connected too.
  std::shared_ptr<platform::X11DisplayConnection> connection;

  // The environment of this process, with a connection to its X server.
  static DisplayEnvironment current();
};

struct DisplayCheck {
  bool canRun = false;
  std::string message;  // what the user should know, with a final line feed; empty when all is well
};

// Quillet runs only on an X11 display. Under Wayland it runs through XWayland, which shows it only what
// X11 applications copy, so it says so.
DisplayCheck checkDisplay(const DisplayEnvironment& environment);

}  // namespace app
