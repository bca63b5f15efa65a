#include "platform/system/native_event_filter.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <cmath>

#include "platform/system/keyboard_layout.h"
#include "platform/system/modifier_flags.h"

namespace platform {

namespace {

class QtFilter final : public QAbstractNativeEventFilter {
 public:
  explicit QtFilter(NativeEventFilter& filter) : filter_(filter) {}
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    return eventType == "xcb_generic_event_t" && filter_.filter(message);
  }

 private:
  NativeEventFilter& filter_;
};

double fixed1616(xcb_input_fp1616_t value) { return value / 65536.0; }

}  // namespace

NativeEventFilter* NativeEventFilter::shared() {
  static NativeEventFilter* filter = []() -> NativeEventFilter* {
    auto* native = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (native == nullptr || native->connection() == nullptr) return nullptr;
    auto* made = new NativeEventFilter();  // lives for the process, as the application's filter
    xcb_connection_t* c = native->connection();
    if (const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(c, &xcb_input_id);
        xinput != nullptr && xinput->present != 0)
      made->xinputOpcode_ = xinput->major_opcode;
    KeyboardLayout::shared();  // the keymap is read now rather than inside the first filtered event
    qGuiApp->installNativeEventFilter(new QtFilter(*made));
    return made;
  }();
  return filter;
}

void NativeEventFilter::add(int id, std::vector<NativeEventKind> kinds, Handler handler) {
  registrations_.emplace(id, Registration{std::set<NativeEventKind>(kinds.begin(), kinds.end()), std::move(handler)});
}

bool NativeEventFilter::remove(int id) {
  if (registrations_.erase(id) == 0) return false;
  if (registrations_.empty()) {
    // Nothing is followed until the next registration: what is held then is not known.
    keysDown_.clear();
    buttonsDown_.clear();
  }
  return true;
}

std::optional<std::pair<NativeEventKind, Event>> NativeEventFilter::convert(const void* xcbEvent) {
  const auto& generic = *static_cast<const xcb_generic_event_t*>(xcbEvent);
  Event event;
  KeyboardLayout* layout = KeyboardLayout::shared();
  const uint16_t superMask = KeyboardLayout::currentModifierMasks().super;
  auto pointer = [&](uint16_t state, double x, double y, xcb_timestamp_t time) {
    event.modifierFlags = modifierFlagsFromXState(state & 0xFF, superMask);
    event.location = {x, y};
    event.timestamp = time / 1000.0;
  };
  // Buttons 4 to 7 are wheel steps: only their press counts.
  auto button = [&](uint32_t number, bool down) -> std::optional<NativeEventKind> {
    if (isWheelButton(number)) {
      if (!down) return std::nullopt;
      event.type = EventType::scrollWheel;
      return number <= 5 ? NativeEventKind::mouseWheelMoved : NativeEventKind::mouseScroll;
    }
    if (down ? !buttonsDown_.insert(number).second : buttonsDown_.erase(number) == 0) return std::nullopt;
    event.type = buttonEventType(number, down);
    return down ? NativeEventKind::mouseDown : NativeEventKind::mouseUp;
  };
  auto motion = [&]() -> NativeEventKind {
    event.type = motionEventType(buttonsDown_);
    return buttonsDown_.empty() ? NativeEventKind::mouseMoved : NativeEventKind::mouseDragged;
  };

  std::optional<NativeEventKind> kind;
  switch (generic.response_type & 0x7f) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE: {
      const auto& key = *static_cast<const xcb_key_press_event_t*>(xcbEvent);
      bool down = (generic.response_type & 0x7f) == XCB_KEY_PRESS;
      event.nativeKeyCode = key.detail;
      event.keyCode = virtualKeyForXKeycode(key.detail);
      event.timestamp = key.time / 1000.0;
      event.location = {static_cast<double>(key.root_x), static_cast<double>(key.root_y)};
      std::optional<uint16_t> modifierBit;
      if (layout != nullptr) {
        if (auto found = layout->modifierKeys().find(key.detail); found != layout->modifierKeys().end())
          modifierBit = found->second;
      }
      if (modifierBit) {
        // The state of a key event is the one before it: the new state has the key's modifier set or cleared.
        uint16_t after = down ? key.state | *modifierBit : key.state & ~*modifierBit;
        event.type = EventType::flagsChanged;
        event.modifierFlags = modifierFlagsFromXState(after & 0xFF, superMask);
        kind = NativeEventKind::keyModifiersChanged;
        break;
      }
      event.modifierFlags = modifierFlagsFromXState(key.state & 0xFF, superMask);
      event.type = down ? EventType::keyDown : EventType::keyUp;
      if (event.keyCode && layout != nullptr)
        event.charactersIgnoringModifiers = layout->characterForVirtualKey(*event.keyCode).value_or("");
      if (down) {
        event.isARepeat = !keysDown_.insert(key.detail).second;
        kind = event.isARepeat ? NativeEventKind::keyRepeat : NativeEventKind::keyDown;
      } else {
        keysDown_.erase(key.detail);
        kind = NativeEventKind::keyUp;
      }
      break;
    }
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE: {
      const auto& press = *static_cast<const xcb_button_press_event_t*>(xcbEvent);
      pointer(press.state, press.root_x, press.root_y, press.time);
      kind = button(press.detail, (generic.response_type & 0x7f) == XCB_BUTTON_PRESS);
      break;
    }
    case XCB_MOTION_NOTIFY: {
      const auto& moved = *static_cast<const xcb_motion_notify_event_t*>(xcbEvent);
      pointer(moved.state, moved.root_x, moved.root_y, moved.time);
      kind = motion();
      break;
    }
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY: {
      const auto& crossing = *static_cast<const xcb_enter_notify_event_t*>(xcbEvent);
      pointer(crossing.state, crossing.root_x, crossing.root_y, crossing.time);
      bool enter = (generic.response_type & 0x7f) == XCB_ENTER_NOTIFY;
      event.type = enter ? EventType::mouseEntered : EventType::mouseExited;
      kind = enter ? NativeEventKind::mouseEntered : NativeEventKind::mouseExited;
      break;
    }
    case XCB_GE_GENERIC: {
      // Qt reads the pointer through XInput 2 where the server has it.
      const auto& ge = *static_cast<const xcb_ge_generic_event_t*>(xcbEvent);
      if (!xinputOpcode_ || ge.extension != *xinputOpcode_) return std::nullopt;
      switch (ge.event_type) {
        case XCB_INPUT_BUTTON_PRESS:
        case XCB_INPUT_BUTTON_RELEASE:
        case XCB_INPUT_MOTION: {
          const auto& xi = *static_cast<const xcb_input_button_press_event_t*>(xcbEvent);
          if ((xi.flags & XCB_INPUT_POINTER_EVENT_FLAGS_POINTER_EMULATED) != 0) return std::nullopt;
          pointer(static_cast<uint16_t>(xi.mods.effective), fixed1616(xi.root_x), fixed1616(xi.root_y), xi.time);
          kind = ge.event_type == XCB_INPUT_MOTION ? std::optional(motion())
                                                   : button(xi.detail, ge.event_type == XCB_INPUT_BUTTON_PRESS);
          break;
        }
        case XCB_INPUT_ENTER:
        case XCB_INPUT_LEAVE: {
          const auto& xi = *static_cast<const xcb_input_enter_event_t*>(xcbEvent);
          pointer(static_cast<uint16_t>(xi.mods.effective), fixed1616(xi.root_x), fixed1616(xi.root_y), xi.time);
          bool enter = ge.event_type == XCB_INPUT_ENTER;
          event.type = enter ? EventType::mouseEntered : EventType::mouseExited;
          kind = enter ? NativeEventKind::mouseEntered : NativeEventKind::mouseExited;
          break;
        }
        default:
          return std::nullopt;
      }
      break;
    }
    default:
      return std::nullopt;
  }
  if (!kind) return std::nullopt;
  return std::make_pair(*kind, event);
}

bool NativeEventFilter::filter(const void* xcbEvent) {
  if (registrations_.empty()) return false;
  auto converted = convert(xcbEvent);
  if (!converted) return false;
  auto registrations = registrations_;
  for (auto& [id, registration] : registrations) {
    if (registrations_.count(id) == 0 || registration.kinds.count(converted->first) == 0) continue;
    if (registration.handler(converted->first, converted->second)) return true;
  }
  return false;
}

}  // namespace platform
