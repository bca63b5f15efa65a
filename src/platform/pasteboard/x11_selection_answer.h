#pragma once

#include <xcb/xcb.h>

namespace platform {

// Where the owner puts the data a selection request asks for: the named property, or the target itself for an old
// client that names none.
inline xcb_atom_t answerProperty(const xcb_selection_request_event_t& request) {
  return request.property == XCB_NONE ? request.target : request.property;
}

// Tells the requestor that its request is answered: the data is in the answer's property, or it was refused.
inline void answerSelectionRequest(xcb_connection_t* c, const xcb_selection_request_event_t& request, bool served) {
  xcb_selection_notify_event_t notify{};
  notify.response_type = XCB_SELECTION_NOTIFY;
  notify.time = request.time;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.property = served ? answerProperty(request) : xcb_atom_t{XCB_ATOM_NONE};
  xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
  xcb_flush(c);
}

}  // namespace platform
