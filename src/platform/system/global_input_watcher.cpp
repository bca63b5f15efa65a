#include "platform/system/global_input_watcher.h"

#include <xcb/xinput.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "platform/system/keyboard_layout.h"
#include "platform/system/modifier_flags.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"
#include "platform/system/xcb_xkb.h"

namespace platform {

namespace {

constexpr EventMask mask(std::initializer_list<uint8_t> types) {
  EventMask m = 0;
  for (uint8_t type : types) m |= eventMask(type);
  return m;
}

constexpr EventMask keyEvents = mask({EventType::keyDown, EventType::keyUp});
constexpr EventMask buttonEvents =
    mask({EventType::leftMouseDown, EventType::leftMouseUp, EventType::rightMouseDown, EventType::rightMouseUp,
          EventType::otherMouseDown, EventType::otherMouseUp, EventType::scrollWheel});
constexpr EventMask motionEvents = mask(
    {EventType::mouseMoved, EventType::leftMouseDragged, EventType::rightMouseDragged, EventType::otherMouseDragged});
constexpr EventMask rawEvents = keyEvents | buttonEvents | motionEvents;
constexpr uint32_t pressSelection = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                                    XCB_INPUT_XI_EVENT_MASK_RAW_TOUCH_BEGIN;

// The raw events a mask needs; drags need the buttons as well, to know which button is held.
uint32_t rawSelectionFor(EventMask m) {
  uint32_t selection = 0;
  if ((m & keyEvents) != 0)
    selection |= XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
  if ((m & (buttonEvents | motionEvents)) != 0)
    selection |= XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
  if ((m & motionEvents) != 0) selection |= XCB_INPUT_XI_EVENT_MASK_RAW_MOTION;
  return selection;
}

// A key, a button (the wheel's steps too: the first one ends the watch rather than each waking us) or a finger going
// down.
bool isPress(const xcb_ge_generic_event_t& event) {
  return event.event_type == XCB_INPUT_RAW_KEY_PRESS || event.event_type == XCB_INPUT_RAW_BUTTON_PRESS ||
         event.event_type == XCB_INPUT_RAW_TOUCH_BEGIN;
}

}  // namespace

GlobalInputWatcher* GlobalInputWatcher::shared() {
  static GlobalInputWatcher* watcher = []() -> GlobalInputWatcher* {
    X11Connection* x = X11Connection::shared();
    if (x == nullptr) return nullptr;
    auto first = x->extensionFirstEvent(&xcb_xkb_id);
    if (!first) return nullptr;
    auto version =
        xcbReply(xcb_xkb_use_extension_reply(x->connection(), xcb_xkb_use_extension(x->connection(), 1, 0), nullptr));
    if (!version || version->supported == 0) return nullptr;
    return new GlobalInputWatcher(*x, *first);  // lives for the process
  }();
  return watcher;
}

GlobalInputWatcher::GlobalInputWatcher(X11Connection& x, uint8_t xkbFirstEvent) : x_(x), xkbFirstEvent_(xkbFirstEvent) {
  xcb_connection_t* c = x_.connection();
  xcb_xkb_select_events_details_t details{};
  details.affectState = details.stateDetails = XCB_XKB_STATE_PART_MODIFIER_STATE | XCB_XKB_STATE_PART_MODIFIER_BASE |
                                               XCB_XKB_STATE_PART_MODIFIER_LATCH | XCB_XKB_STATE_PART_MODIFIER_LOCK;
  xcb_xkb_select_events_aux(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_EVENT_TYPE_STATE_NOTIFY, 0, 0, 0, 0, &details);

  const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(c, &xcb_input_id);
  if (xinput != nullptr && xinput->present != 0) {
    auto version = xcbReply(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (version && (version->major_version > 2 || (version->major_version == 2 && version->minor_version >= 2)))
      xinputOpcode_ = xinput->major_opcode;
  }
  xcb_flush(c);
  KeyboardLayout::shared();  // the keymap is read now rather than inside the first event
  // Until the first state event, the server says which modifiers are held.
  auto pointer = queryPointer();
  x_.scheduleDispatch();
  lastFlags_ = pointer ? flagsOf(pointer->mask & 0xFF) : 0;
  events_ = x_.addEventListener([this](const xcb_generic_event_t& event) { handle(event); });
}

std::optional<std::string> GlobalInputWatcher::unavailableReason(EventMask m) const {
  if ((m & (rawEvents | eventMask(EventType::flagsChanged))) == 0)
    return "Events of these kinds cannot be watched across the desktop: only modifier changes, keys, mouse buttons, "
           "mouse movement and the scroll wheel can.";
  if ((m & rawEvents) != 0 && !xinputOpcode_)
    return "Keys and mouse events of other applications cannot be watched: the X server lacks XInput 2.2.";
  return std::nullopt;
}

void GlobalInputWatcher::add(int id, EventMask m, Handler handler) {
  registrations_.emplace(id, Registration{m, std::move(handler)});
  selectRawEvents();
}

bool GlobalInputWatcher::remove(int id) {
  if (registrations_.erase(id) == 0) return false;
  selectRawEvents();
  return true;
}

uint64_t GlobalInputWatcher::currentFlags() {
  if (xcb_connection_has_error(x_.connection()) != 0) return 0;  // no server, no modifier known to be held
  // The events are read, not delivered: a caller inside a listener would otherwise see later events ahead of the
  // one it handles. The newest state among them is the answer.
  uint64_t flags = lastFlags_;
  for (const auto& event : x_.readAhead()) {
    if (const auto* state = asStateNotify(*event)) flags = flagsOf(state->mods);
  }
  return flags;
}

std::optional<uint64_t> GlobalInputWatcher::pressCount() {
  if (!xinputOpcode_) return std::nullopt;
  // Like the modifiers: the presses the server sent and nobody delivered yet count too.
  uint64_t count = presses_;
  for (const auto& event : x_.readAhead()) {
    if (const auto* input = asInputEvent(*event); input != nullptr && isPress(*input)) ++count;
  }
  if (!std::exchange(waitingForPress_, true)) selectRawEvents();
  return count;
}

bool GlobalInputWatcher::nonModifierKeyHeld() {
  xcb_connection_t* c = x_.connection();
  auto keymapCookie = xcb_query_keymap(c);
  auto modifiersCookie = xcb_get_modifier_mapping(c);
  auto keymap = xcbReply(xcb_query_keymap_reply(c, keymapCookie, nullptr));
  auto modifiers = xcbReply(xcb_get_modifier_mapping_reply(c, modifiersCookie, nullptr));
  x_.scheduleDispatch();
  if (!keymap || !modifiers) return false;
  std::array<uint8_t, sizeof keymap->keys> held{};
  std::copy(std::begin(keymap->keys), std::end(keymap->keys), held.begin());
  const xcb_keycode_t* modifierKeys = xcb_get_modifier_mapping_keycodes(modifiers.get());
  for (int i = 0; i < xcb_get_modifier_mapping_keycodes_length(modifiers.get()); ++i) {
    held[modifierKeys[i] / 8] &= static_cast<uint8_t>(~(1u << (modifierKeys[i] % 8)));
  }
  return std::any_of(held.begin(), held.end(), [](uint8_t keys) { return keys != 0; });
}

uint64_t GlobalInputWatcher::flagsOf(uint16_t state) const {
  return modifierFlagsFromXState(state, KeyboardLayout::currentModifierMasks().super);
}

XcbReply<xcb_query_pointer_reply_t> GlobalInputWatcher::queryPointer() {
  return xcbReply(xcb_query_pointer_reply(x_.connection(), xcb_query_pointer(x_.connection(), x_.root()), nullptr));
}

PointF GlobalInputWatcher::pointerLocation() {
  auto pointer = queryPointer();
  return pointer ? PointF{static_cast<double>(pointer->root_x), static_cast<double>(pointer->root_y)} : PointF{};
}

void GlobalInputWatcher::selectRawEvents() {
  if (!xinputOpcode_) return;
  monitorsRawMask_ = 0;
  for (const auto& [id, registration] : registrations_) monitorsRawMask_ |= rawSelectionFor(registration.mask);
  // The keys and buttons held are known only while the monitors have the releases too.
  if ((monitorsRawMask_ & XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS) == 0) keysDown_.clear();
  if ((monitorsRawMask_ & XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) == 0) buttonsDown_.clear();
  const uint32_t wanted = monitorsRawMask_ | (waitingForPress_ ? pressSelection : 0);
  if (wanted == selectedRawMask_) return;
  selectedRawMask_ = wanted;
  struct {
    xcb_input_event_mask_t head;
    uint32_t bits;
  } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, wanted};
  xcb_input_xi_select_events(x_.connection(), x_.root(), 1, &selection.head);
  xcb_flush(x_.connection());
}

const xcb_xkb_state_notify_event_t* GlobalInputWatcher::asStateNotify(const xcb_generic_event_t& event) const {
  // All XKB events share one code; the second byte names the kind.
  if ((event.response_type & 0x7f) != xkbFirstEvent_ || event.pad0 != XCB_XKB_STATE_NOTIFY) return nullptr;
  return reinterpret_cast<const xcb_xkb_state_notify_event_t*>(&event);
}

const xcb_ge_generic_event_t* GlobalInputWatcher::asInputEvent(const xcb_generic_event_t& event) const {
  if ((event.response_type & 0x7f) != XCB_GE_GENERIC || !xinputOpcode_) return nullptr;
  const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(&event);
  return generic->extension == *xinputOpcode_ ? generic : nullptr;
}

void GlobalInputWatcher::handle(const xcb_generic_event_t& event) {
  if (const auto* state = asStateNotify(event)) {
    handleStateNotify(*state);
  } else if (const auto* input = asInputEvent(event)) {
    if (isPress(*input)) notePress();
    // XInput 2's event masks have the bit of each event type.
    if (input->event_type < 32 && (monitorsRawMask_ & (1u << input->event_type)) != 0) handleRaw(event);
  }
}

void GlobalInputWatcher::notePress() {
  ++presses_;
  if (std::exchange(waitingForPress_, false)) selectRawEvents();
}

void GlobalInputWatcher::handleStateNotify(const xcb_xkb_state_notify_event_t& state) {
  uint64_t flags = flagsOf(state.mods);
  if (flags == lastFlags_) return;
  lastFlags_ = flags;
  Event out;
  out.type = EventType::flagsChanged;
  out.modifierFlags = flags;
  out.nativeKeyCode = state.keycode;
  out.timestamp = state.time / 1000.0;
  deliver(out);
}

void GlobalInputWatcher::handleRaw(const xcb_generic_event_t& event) {
  const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
  Event out;
  out.modifierFlags = lastFlags_;
  switch (generic.event_type) {
    case XCB_INPUT_RAW_KEY_PRESS:
    case XCB_INPUT_RAW_KEY_RELEASE: {
      const auto& key = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
      // A modifier key is a change of the flags, which the state events report, not a key of its own.
      if (const KeyboardLayout* layout = KeyboardLayout::shared();
          layout != nullptr && layout->modifierKeys().contains(static_cast<uint8_t>(key.detail)))
        return;
      bool press = generic.event_type == XCB_INPUT_RAW_KEY_PRESS;
      bool repeat = (key.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) != 0;
      // Raw events come once per device; a release of a key that is not down, or a second press without the
      // repeat flag, is such a duplicate.
      if (press && !keysDown_.insert(key.detail).second && !repeat) return;
      if (!press && keysDown_.erase(key.detail) == 0) return;
      out.type = press ? EventType::keyDown : EventType::keyUp;
      out.isARepeat = press && repeat;
      out.nativeKeyCode = key.detail;
      out.keyCode = virtualKeyForXKeycode(static_cast<uint8_t>(key.detail));
      if (out.keyCode) {
        if (KeyboardLayout* layout = KeyboardLayout::shared()) {
          out.charactersIgnoringModifiers = layout->characterForVirtualKey(*out.keyCode).value_or("");
        }
      }
      out.timestamp = key.time / 1000.0;
      break;
    }
    case XCB_INPUT_RAW_BUTTON_PRESS:
    case XCB_INPUT_RAW_BUTTON_RELEASE: {
      const auto& button = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
      bool press = generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS;
      if (isWheelButton(button.detail)) {
        if (!press) return;
        out.type = EventType::scrollWheel;
      } else {
        if (press && !buttonsDown_.insert(button.detail).second) return;
        if (!press && buttonsDown_.erase(button.detail) == 0) return;
        out.type = buttonEventType(button.detail, press);
      }
      out.location = pointerLocation();
      out.timestamp = button.time / 1000.0;
      break;
    }
    case XCB_INPUT_RAW_MOTION: {
      const auto& motion = reinterpret_cast<const xcb_input_raw_motion_event_t&>(event);
      out.type = motionEventType(buttonsDown_);
      out.location = pointerLocation();
      out.timestamp = motion.time / 1000.0;
      break;
    }
    default:
      return;
  }
  deliver(out);
}

void GlobalInputWatcher::deliver(const Event& event) {
  // Copied: a handler may remove itself or another monitor.
  auto registrations = registrations_;
  for (auto& [id, registration] : registrations) {
    if (registrations_.count(id) != 0 && maskContains(registration.mask, event.type)) registration.handler(event);
  }
}

}  // namespace platform
