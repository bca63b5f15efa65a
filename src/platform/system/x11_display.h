#pragma once

struct xcb_connection_t;

namespace platform {

// A connection to the X server at $DISPLAY, open while this object lives. A server that resets whenever its
// last client leaves (Xvfb's default) resets if a check connects and leaves before the toolkit connects, and
// the toolkit then finds no server; holding this until the toolkit has its own connection avoids that.
class X11DisplayConnection {
 public:
  X11DisplayConnection();
  ~X11DisplayConnection();
  X11DisplayConnection(const X11DisplayConnection&) = delete;
  X11DisplayConnection& operator=(const X11DisplayConnection&) = delete;

  // True when the server answered.
  bool isOpen() const;

 private:
  xcb_connection_t* connection_;
};

}  // namespace platform
