#pragma once

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/core/rx_cancellable.h"
#include "platform/system/xcb_reply.h"

class QSocketNotifier;

namespace platform {

// Our own connection to the X server, beside Qt's. It reads other clients' windows and carries the event
// selections (XKB state, root properties) that must not disturb Qt's connection. Main thread only.
class X11Connection {
 public:
  using EventListener = std::function<void(const xcb_generic_event_t&)>;

  // The connection to $DISPLAY, opened on first use; none without an X server.
  static X11Connection* shared();

  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;
  ~X11Connection();

  xcb_connection_t* connection() const { return connection_; }
  xcb_window_t root() const { return root_; }

  xcb_atom_t atom(std::string_view name);
  std::string atomName(xcb_atom_t atom);

  // Raw 32-bit items of a property (CARDINAL, WINDOW, ATOM), or none when absent or of another format.
  std::optional<std::vector<uint32_t>> property32(xcb_window_t window, std::string_view name);
  // Several of them, in the order of `names`, asked for together (one round trip).
  std::vector<std::optional<std::vector<uint32_t>>> properties32(xcb_window_t window,
                                                                 const std::vector<std::string_view>& names);
  std::optional<uint32_t> cardinal(xcb_window_t window, std::string_view name);
  // The bytes of an 8-bit property (STRING, UTF8_STRING), or none when absent.
  std::optional<std::string> property8(xcb_window_t window, std::string_view name);
  // Several 8-bit properties of a window, in the order of `names`, asked for together (one round trip).
  std::vector<std::optional<std::string>> properties8(xcb_window_t window, const std::vector<std::string_view>& names);
  // WM_CLASS as (instance, class); empty strings when absent.
  std::pair<std::string, std::string> wmClass(xcb_window_t window);
  static std::pair<std::string, std::string> splitWmClass(const std::optional<std::string>& raw);
  // The process of a window's client: _NET_WM_PID, else the X-Resource answer.
  std::optional<int32_t> pidOfWindow(xcb_window_t window);
  std::optional<int32_t> pidOfClient(xcb_window_t window);
  // pidOfWindow of each window, asked for together: one round trip for all of them.
  std::vector<std::optional<int32_t>> pidsOfWindows(const std::vector<xcb_window_t>& windows);
  // The bytes the X server holds for the resources of the window's client (X-Resource); none when it cannot tell.
  std::optional<uint64_t> resourceBytesOfClient(xcb_window_t window);

  // The questions above asked now and answered (or forgotten) later, so that questions about many windows share
  // one round trip. Every question asked is answered or forgotten once.
  struct PropertiesQuestion {
    std::vector<std::optional<xcb_get_property_cookie_t>> cookies;
  };
  PropertiesQuestion askProperties(xcb_window_t window, const std::vector<std::string_view>& names);
  std::vector<std::optional<std::vector<uint32_t>>> answer32(PropertiesQuestion question);
  std::vector<std::optional<std::string>> answer8(PropertiesQuestion question);
  struct PidQuestion {
    std::optional<xcb_res_query_client_ids_cookie_t> cookie;
  };
  PidQuestion askPidOfClient(xcb_window_t window);
  std::optional<int32_t> answer(PidQuestion question);
  void forget(PidQuestion question);
  struct WindowPidQuestion {
    PropertiesQuestion netWmPid;
    PidQuestion client;
  };
  WindowPidQuestion askPidOfWindow(xcb_window_t window);
  std::optional<int32_t> answer(WindowPidQuestion question);
  struct ResourceBytesQuestion {
    std::optional<xcb_res_query_resource_bytes_cookie_t> cookie;
  };
  ResourceBytesQuestion askResourceBytesOfClient(xcb_window_t window);
  std::optional<uint64_t> answer(ResourceBytesQuestion question);
  // The top-level child of the root that contains `window`, or the window itself when it is one.
  xcb_window_t topLevelOf(xcb_window_t window);

  // Adds an event mask to the root window's selection (the masks of all callers accumulate).
  void selectRootEvents(uint32_t mask);
  // Hands every event of the connection to `listener` until the returned token goes.
  [[nodiscard]] rx::AnyCancellable addEventListener(EventListener listener);
  // Delivers every event the server has sent so far, in order. Runs by itself from the Qt loop.
  void dispatchPending();
  // Reads every event the server has sent so far, from the socket as well, without a request and without
  // delivering any, and answers the events not delivered yet, oldest first; a dispatch soon delivers them in order.
  // Safe inside a listener, where delivering would put later events ahead of the one being delivered.
  const std::deque<XcbReply<xcb_generic_event_t>>& readAhead();

  // The first event code of an extension, once the extension is known to the server; none otherwise.
  std::optional<uint8_t> extensionFirstEvent(xcb_extension_t* extension);
  // Makes sure events read while waiting for a reply outside a dispatch are delivered soon.
  void scheduleDispatch();

 private:
  X11Connection(xcb_connection_t* connection, xcb_window_t root);
  // A property of the window in the given format (8, 16 or 32 bits per item); none when absent or of another.
  XcbReply<xcb_get_property_reply_t> property(xcb_window_t window, std::string_view name, uint8_t format);
  std::vector<XcbReply<xcb_get_property_reply_t>> answerIn(PropertiesQuestion question, uint8_t format);
  void watchSocket();
  // The oldest event not delivered yet: one read ahead, else the next the server sent; none when none came.
  XcbReply<xcb_generic_event_t> nextEvent();

  xcb_connection_t* connection_;
  xcb_window_t root_;
  uint32_t rootEventMask_ = 0;
  std::unordered_map<std::string, xcb_atom_t> atoms_;
  std::unordered_map<xcb_atom_t, std::string> atomNames_;
  std::map<int, EventListener> listeners_;
  std::deque<XcbReply<xcb_generic_event_t>> readAhead_;
  int nextListenerId_ = 1;
  bool dispatchScheduled_ = false;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform
