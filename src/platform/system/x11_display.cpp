#include "platform/system/x11_display.h"

#include <xcb/xcb.h>

namespace platform {

X11DisplayConnection::X11DisplayConnection() : connection_(xcb_connect(nullptr, nullptr)) {}

X11DisplayConnection::~X11DisplayConnection() {
  if (connection_) xcb_disconnect(connection_);
}

bool X11DisplayConnection::isOpen() const { return connection_ && !xcb_connection_has_error(connection_); }

}  // namespace platform
