#include "platform/system/x11_display.h"

#include <xcb/xcb.h>

namespace platform {

bool isX11DisplayReachable() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool reachable = connection && !xcb_connection_has_error(connection);
  if (connection) xcb_disconnect(connection);
  return reachable;
}

}  // namespace platform
