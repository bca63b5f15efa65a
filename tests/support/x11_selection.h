#pragma once

#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/pasteboard/x11_selection_answer.h"
#include "platform/system/xcb_reply.h"

// The selection protocol as the other X clients of tests and benchmarks play it (applications that copy, clipboard
// managers, a measuring client), each on a connection of its own: they own a selection from a window of their own,
// answer each request with a selection notify, and read another owner's data by waiting for its selection notify.
namespace selectiontest {

using Clock = std::chrono::steady_clock;

inline xcb_atom_t atom(xcb_connection_t* c, std::string_view name) {
  auto r = platform::xcbReply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
  return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

inline std::string atomName(xcb_connection_t* c, xcb_atom_t atom) {
  auto r = platform::xcbReply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
  if (!r) return {};
  return std::string(xcb_get_atom_name_name(r.get()), static_cast<size_t>(xcb_get_atom_name_name_length(r.get())));
}

// An unmapped 1×1 window that owns selections and receives the data read from other owners.
inline xcb_window_t createSelectionWindow(xcb_connection_t* c, uint32_t eventMask = 0) {
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_window_t window = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_EVENT_MASK, &eventMask);
  return window;
}

// Has XFixes tell `window` each change of the selection's owner; answers the response type of those events.
inline uint8_t watchOwnerChanges(xcb_connection_t* c, xcb_window_t window, xcb_atom_t selection) {
  platform::xcbReply(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
  xcb_xfixes_select_selection_input(c, window, selection, XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
  return xcb_get_extension_data(c, &xcb_xfixes_id)->first_event + XCB_XFIXES_SELECTION_NOTIFY;
}

// When the event tells that another client than the one of `window` took the selection: the time it did.
inline std::optional<xcb_timestamp_t> takenByAnother(const xcb_generic_event_t& event, uint8_t ownerChanged,
                                                     xcb_window_t window) {
  if ((event.response_type & 0x7f) != ownerChanged) return std::nullopt;
  const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
  if (notify.owner == window || notify.owner == XCB_NONE) return std::nullopt;
  return notify.timestamp;
}

// The next event of the connection, waiting for one until the deadline; none when none came.
inline platform::XcbReply<xcb_generic_event_t> nextEvent(xcb_connection_t* c, Clock::time_point deadline) {
  for (;;) {
    if (auto event = platform::xcbReply(xcb_poll_for_event(c))) return event;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return nullptr;
    pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
    poll(&p, 1, static_cast<int>(std::min<int64_t>(left, 50)));
  }
}

// What an owner offers: each target with its data, in the order its TARGETS list names them.
using Offer = std::vector<std::pair<xcb_atom_t, std::string_view>>;

// Puts an offered target's data in the requestor's property.
using DataSender =
    std::function<void(const xcb_selection_request_event_t& request, xcb_atom_t property, std::string_view data)>;

inline void sendWhole(xcb_connection_t* c, const xcb_selection_request_event_t& request, xcb_atom_t property,
                      std::string_view data) {
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8,
                      static_cast<uint32_t>(data.size()), data.data());
}

// Answers a request as an owner does: TARGETS (the atom `targets`) lists itself and the offer, an offered target gets
// its data (whole, unless `send` sends it otherwise), any other is refused; then the selection notify tells the
// requestor.
inline void answer(xcb_connection_t* c, const xcb_selection_request_event_t& request, xcb_atom_t targets,
                   const Offer& offer, const DataSender& send = {}) {
  const xcb_atom_t property = platform::answerProperty(request);
  bool served = true;
  if (request.target == targets) {
    std::vector<xcb_atom_t> atoms{targets};
    for (const auto& [target, data] : offer) atoms.push_back(target);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.data());
  } else if (auto it = std::find_if(offer.begin(), offer.end(),
                                    [&](const auto& offered) { return offered.first == request.target; });
             it != offer.end()) {
    if (send) {
      send(request, property, it->second);
    } else {
      sendWhole(c, request, property, it->second);
    }
  } else {
    served = false;
  }
  platform::answerSelectionRequest(c, request, served);
}

// Asks the selection's owner for a target, into `property` of `window`, and waits until the deadline for the owner's
// selection notify, handing every other event to `other` meanwhile. Answers the data, or none when the owner refused
// or did not answer in time.
inline std::optional<std::string> read(xcb_connection_t* c, xcb_window_t window, xcb_atom_t selection,
                                       xcb_atom_t target, xcb_atom_t property, xcb_timestamp_t time,
                                       Clock::time_point deadline,
                                       const std::function<void(const xcb_generic_event_t&)>& other = {}) {
  xcb_convert_selection(c, window, selection, target, property, time);
  xcb_flush(c);
  while (auto event = nextEvent(c, deadline)) {
    if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY) {
      if (other) other(*event);
      continue;
    }
    if (reinterpret_cast<const xcb_selection_notify_event_t*>(event.get())->property == XCB_NONE) return std::nullopt;
    auto value = platform::xcbReply(xcb_get_property_reply(
        c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24), nullptr));
    if (!value) return std::nullopt;
    return std::string(static_cast<const char*>(xcb_get_property_value(value.get())),
                       static_cast<size_t>(xcb_get_property_value_length(value.get())));
  }
  return std::nullopt;
}

}  // namespace selectiontest
