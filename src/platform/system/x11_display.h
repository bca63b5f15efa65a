#pragma once

#include <cstdint>

struct xcb_connection_t;

namespace platform {

// A connection to the X server at $DISPLAY, open while this object lives (or until it is handed over): the one
// way every part of the program connects. Besides opening connections to work on, it serves to hold the server:
// one that resets whenever its last client leaves (Xvfb's default) resets if a check connects and leaves before
// the toolkit connects, and the toolkit then finds no server; holding this until the toolkit has its own
// connection avoids that.
class X11DisplayConnection {
 public:
  X11DisplayConnection();
  ~X11DisplayConnection();
  X11DisplayConnection(const X11DisplayConnection&) = delete;
  X11DisplayConnection& operator=(const X11DisplayConnection&) = delete;

  // True when the server answered.
  bool isOpen() const;
  xcb_connection_t* connection() const { return connection_; }
  // The default screen that $DISPLAY names, and its root window.
  int screenNumber() const { return screenNumber_; }
  uint32_t root() const;
  // Hands the open connection over: the caller disconnects it. Nothing when it is not open.
  xcb_connection_t* release();

 private:
  xcb_connection_t* connection_ = nullptr;
  int screenNumber_ = 0;
};

}  // namespace platform
