#include "app/display_check.h"

#include <cstdlib>

#include "platform/system/x11_display.h"

namespace app {

namespace {

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

DisplayEnvironment DisplayEnvironment::current() {
  DisplayEnvironment environment{variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("XDG_SESSION_TYPE")};
  if (!environment.display.empty()) {
    environment.connection = std::make_shared<platform::X11DisplayConnection>();
    environment.x11Reachable = environment.connection->isOpen();
  }
  return environment;
}

DisplayCheck checkDisplay(const DisplayEnvironment& environment) {
  const bool wayland = !environment.waylandDisplay.empty() || environment.sessionType == "wayland";
  const std::string waylandNote =
      "Under Wayland, Quillet sees only what X11 (XWayland) applications copy, and its keyboard shortcuts and "
      "paste on your behalf reach only X11 applications: for the whole desktop, log in to an X11 session.\n";
  if (environment.display.empty()) {
    return {false,
            "Quillet needs an X11 display to watch the clipboard, and DISPLAY is not set. Start it from an "
            "X11 desktop session (or set DISPLAY to a running X server).\n" +
                (wayland ? waylandNote : std::string())};
  }
  if (!environment.x11Reachable) {
    return {false, "Quillet needs an X11 display to watch the clipboard, and no X server answers at DISPLAY=" +
                       environment.display + ".\n"};
  }
  return {true, wayland ? waylandNote : std::string()};
}

}  // namespace app
