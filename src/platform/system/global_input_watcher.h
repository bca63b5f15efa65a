#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/core/rx_cancellable.h"
#include "platform/system/input_event.h"
#include "platform/system/xcb_reply.h"

struct xcb_xkb_state_notify_event_t;

namespace platform {

class X11Connection;

// Input events of the whole session, seen on our own X connection without any grab: modifier changes through XKB
// state notifications, keys and the mouse through XInput 2 raw events, selected only while a monitor or a reader of
// the press count asks for them. Main thread only.
class GlobalInputWatcher {
 public:
  using Handler = std::function<void(const Event&)>;

  // None without X11 or without XKB.
  static GlobalInputWatcher* shared();

  // Why events of the mask cannot be watched, or none when they can.
  std::optional<std::string> unavailableReason(EventMask mask) const;
  void add(int id, EventMask mask, Handler handler);
  bool remove(int id);
  // The modifiers held now, from the state events the server has sent: no round trip.
  uint64_t currentFlags();
  // How many key, button and touch presses the session has seen, those the server has sent up to now included: two
  // readings differ when something was pressed between them (the presses the server's key repeat makes are not
  // seen). A reading watches the presses until the next one comes, and no longer: typing wakes nobody while no reader
  // waits for it. None without XInput 2.2.
  std::optional<uint64_t> pressCount();
  // Whether a key other than a modifier is held down now (one round trip); false when the server does not answer.
  bool nonModifierKeyHeld();

 private:
  struct Registration {
    EventMask mask;
    Handler handler;
  };

  GlobalInputWatcher(X11Connection& x, uint8_t xkbFirstEvent);
  // Flags of an X modifier state, read through the current keyboard layout.
  uint64_t flagsOf(uint16_t state) const;
  // The event as an XKB state notification, or null when it is another event.
  const xcb_xkb_state_notify_event_t* asStateNotify(const xcb_generic_event_t& event) const;
  XcbReply<xcb_query_pointer_reply_t> queryPointer();
  void handle(const xcb_generic_event_t& event);
  void handleStateNotify(const xcb_xkb_state_notify_event_t& state);
  // The event as an XInput 2 event, or null when it is another event.
  const xcb_ge_generic_event_t* asInputEvent(const xcb_generic_event_t& event) const;
  void handleRaw(const xcb_generic_event_t& event);
  void notePress();
  void deliver(const Event& event);
  void selectRawEvents();
  PointF pointerLocation();

  X11Connection& x_;
  uint8_t xkbFirstEvent_;
  std::optional<uint8_t> xinputOpcode_;  // present when the server has XInput 2.2
  uint64_t lastFlags_ = 0;               // as the last state event delivered left them
  uint32_t selectedRawMask_ = 0;
  uint32_t monitorsRawMask_ = 0;  // what the monitors ask for
  uint64_t presses_ = 0;          // delivered so far
  bool waitingForPress_ = false;  // a reader of the count waits for the next press
  std::set<uint32_t> keysDown_;
  std::set<uint32_t> buttonsDown_;
  std::map<int, Registration> registrations_;
  rx::AnyCancellable events_;
};

}  // namespace platform
