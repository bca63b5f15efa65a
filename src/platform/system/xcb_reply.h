#pragma once

#include <cstdlib>
#include <memory>

namespace platform {

struct XcbFree {
  void operator()(void* allocated) const noexcept { std::free(allocated); }
};

// A reply, event or error that xcb allocated for its caller, freed when it goes. Null stays null.
template <class T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// Takes what an xcb call handed over:
//   auto geometry = xcbReply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
//   while (auto event = xcbReply(xcb_poll_for_event(c))) ...
template <class T>
XcbReply<T> xcbReply(T* allocated) {
  return XcbReply<T>(allocated);
}

}  // namespace platform
