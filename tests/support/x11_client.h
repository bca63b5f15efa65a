#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "platform/system/xcb_reply.h"

namespace x11test {

// A connection of its own to the X server of $DISPLAY, as another client of the desktop holds one, closed when it
// goes out of scope. It stands wherever a connection is asked for. A server that cannot be reached throws: a test
// fails there, saying so, instead of sending its requests into a broken connection.
class Client {
 public:
  Client() : c_(xcb_connect(nullptr, nullptr)) {
    if (int error = xcb_connection_has_error(c_); error != 0) {
      xcb_disconnect(c_);
      const char* display = std::getenv("DISPLAY");
      throw std::runtime_error(
          "cannot connect to the X server of DISPLAY=" + std::string(display != nullptr ? display : "(unset)") +
          " (xcb error " + std::to_string(error) + ")");
    }
  }
  ~Client() { xcb_disconnect(c_); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  operator xcb_connection_t*() const { return c_; }
  xcb_screen_t* screen() const { return xcb_setup_roots_iterator(xcb_get_setup(c_)).data; }
  // Waits until the server has handled every request sent so far (and sent every event they caused).
  void roundTrip() const { platform::xcbReply(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

 private:
  xcb_connection_t* c_;
};

}  // namespace x11test
