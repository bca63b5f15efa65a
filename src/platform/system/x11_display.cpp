#include "platform/system/x11_display.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <utility>

namespace platform {

X11DisplayConnection::X11DisplayConnection() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return;
  connection_ = xcb_connect(nullptr, &screenNumber_);
}

X11DisplayConnection::~X11DisplayConnection() {
  if (connection_) xcb_disconnect(connection_);
}

bool X11DisplayConnection::isOpen() const { return connection_ && !xcb_connection_has_error(connection_); }

uint32_t X11DisplayConnection::root() const {
  if (!isOpen()) return XCB_NONE;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screenNumber_ && screens.rem > 0; ++i) xcb_screen_next(&screens);
  return screens.rem > 0 ? screens.data->root : XCB_NONE;
}

xcb_connection_t* X11DisplayConnection::release() {
  if (!isOpen()) return nullptr;
  return std::exchange(connection_, nullptr);
}

}  // namespace platform
