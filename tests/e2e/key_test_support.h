#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/system/xcb_reply.h"
#include "support/x11_client.h"

// Sends keys through xdotool (XTEST, so grabs see them like keys of a real keyboard).
inline void xdotool(const std::string& arguments) {
  const std::string command = "xdotool " + arguments;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Another X client holding key grabs of its own on the root window while it lives.
class KeyGrabbingClient {
 public:
  // Grabs exactly this X keycode and modifier state; false when someone else holds it.
  bool grab(uint8_t xKeycode, uint16_t modifiers) {
    return platform::xcbReply(xcb_request_check(c_, xcb_grab_key_checked(c_, 1, root_, modifiers, xKeycode,
                                                                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC))) ==
           nullptr;
  }

 private:
  x11test::Client c_;
  xcb_window_t root_ = c_.screen()->root;
};
