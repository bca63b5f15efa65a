#include "platform/system/keyboard_layout.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <QCoreApplication>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"
#include "platform/system/xcb_xkb.h"

namespace platform {

namespace {

using StatePtr = std::unique_ptr<xkb_state, decltype(&xkb_state_unref)>;

// The keycode of the A key: a group whose base keysym there is ASCII counts as ASCII-capable.
constexpr uint8_t probeKeycode = 38;

bool isAsciiKeysym(uint32_t keysym) { return keysym >= 0x20 && keysym <= 0x7e; }

// A reply wait can read events into xcb's queue without the socket becoming readable again.
void deliverQueuedEventsLater() {
  if (QCoreApplication::instance() == nullptr) return;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { X11Connection::shared()->dispatchPending(); }, Qt::QueuedConnection);
}

}  // namespace

KeyboardLayout* KeyboardLayout::shared() {
  static KeyboardLayout* instance = []() -> KeyboardLayout* {
    auto* layout = new KeyboardLayout();  // lives for the process
    if (!layout->load()) {
      delete layout;
      return nullptr;
    }
    layout->watchKeymapChanges();
    return layout;
  }();
  return instance;
}

XModifierMasks KeyboardLayout::currentModifierMasks() {
  KeyboardLayout* layout = shared();
  return layout != nullptr ? layout->modifierMasks() : XModifierMasks{};
}

bool KeyboardLayout::load() {
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return false;
  xcb_connection_t* c = x->connection();
  if (context_ == nullptr) {
    if (xkb_x11_setup_xkb_extension(c, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr) == 0) {
      return false;
    }
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context_ == nullptr) return false;
    deviceId_ = xkb_x11_get_core_keyboard_device_id(c);
    if (deviceId_ < 0) return false;
  }
  xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context_, c, deviceId_, XKB_KEYMAP_COMPILE_NO_FLAGS);
  deliverQueuedEventsLater();
  if (keymap == nullptr) return keymap_ != nullptr;  // keep the previous keymap
  if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
  keymap_ = keymap;
  readModifierMapping();
  return true;
}

void KeyboardLayout::reload() {
  const XModifierMasks before = masks_;
  load();
  changed_.send(before);
}

void KeyboardLayout::watchKeymapChanges() {
  X11Connection* x = X11Connection::shared();
  xcb_connection_t* c = x->connection();
  // New keyboards and keymaps; other XKB selections of the connection stay as they are. Map notifications
  // are chosen per part of the keymap: ask for every part.
  const uint16_t mapEvents = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
  const uint16_t allMapParts = 0xffff;
  xcb_xkb_select_events_details_t details{};
  xcb_xkb_select_events_aux(c, XCB_XKB_ID_USE_CORE_KBD, mapEvents, 0, mapEvents, allMapParts, allMapParts, &details);
  xcb_flush(c);
  const std::optional<uint8_t> xkbEvent = x->extensionFirstEvent(&xcb_xkb_id);
  keymapEvents_ = x->addEventListener([this, xkbEvent](const xcb_generic_event_t& event) {
    const uint8_t type = event.response_type & 0x7f;
    const uint8_t xkbType = event.pad0;  // the XKB event kind travels in the second byte
    if (type == XCB_MAPPING_NOTIFY ||
        (xkbEvent && type == *xkbEvent && (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY))) {
      reload();
    }
  });
}

uint32_t KeyboardLayout::activeGroup() {
  X11Connection* x = X11Connection::shared();
  StatePtr state(xkb_x11_state_new_from_device(keymap_, x->connection(), deviceId_), &xkb_state_unref);
  deliverQueuedEventsLater();
  if (!state) return 0;
  return xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE);
}

uint32_t KeyboardLayout::baseKeysym(uint8_t keycode, uint32_t group) {
  const xkb_keysym_t* syms = nullptr;
  int count = xkb_keymap_key_get_syms_by_level(keymap_, keycode, group, 0, &syms);
  return count > 0 ? syms[0] : XKB_KEY_NoSymbol;
}

std::optional<uint32_t> KeyboardLayout::asciiCapableGroup() {
  uint32_t active = activeGroup();
  if (isAsciiKeysym(baseKeysym(probeKeycode, active))) return active;
  uint32_t groups = xkb_keymap_num_layouts(keymap_);
  for (uint32_t group = 0; group < groups; ++group) {
    if (isAsciiKeysym(baseKeysym(probeKeycode, group))) return group;
  }
  return std::nullopt;
}

std::optional<std::string> KeyboardLayout::characterForVirtualKey(int64_t virtualKeyCode) {
  auto keycode = xKeycodeForVirtualKey(virtualKeyCode);
  auto group = asciiCapableGroup();
  if (!keycode || !group) return std::nullopt;
  uint32_t keysym = baseKeysym(*keycode, *group);
  if (keysym == XKB_KEY_NoSymbol) return std::string();
  char buffer[16] = {};
  int length = xkb_keysym_to_utf8(keysym, buffer, sizeof buffer);
  if (length <= 1) return std::string();  // length counts the terminating NUL
  return std::string(buffer, static_cast<size_t>(length - 1));
}

std::optional<uint8_t> KeyboardLayout::keycodeForKeysym(uint32_t keysym) {
  auto group = asciiCapableGroup();
  if (!group) return std::nullopt;
  for (xkb_keycode_t keycode = xkb_keymap_min_keycode(keymap_);
       keycode <= xkb_keymap_max_keycode(keymap_) && keycode <= 255; ++keycode) {
    if (baseKeysym(static_cast<uint8_t>(keycode), *group) == keysym) return static_cast<uint8_t>(keycode);
  }
  return std::nullopt;
}

InputSource KeyboardLayout::currentInputSource() {
  const uint32_t group = activeGroup();
  InputSource source;
  if (const char* name = xkb_keymap_layout_get_name(keymap_, group); name != nullptr && *name != '\0')
    source.localizedName = name;
  // _XKB_RULES_NAMES: rules, model, layouts, variants, options, each NUL-terminated; the lists comma-separated.
  X11Connection* x = X11Connection::shared();
  auto rules = x->property8(x->root(), "_XKB_RULES_NAMES");
  if (!rules) return source;
  std::vector<std::string> fields;
  std::string field;
  for (char ch : *rules) {
    if (ch == '\0') {
      fields.push_back(std::move(field));
      field.clear();
    } else {
      field.push_back(ch);
    }
  }
  if (!field.empty()) fields.push_back(std::move(field));
  auto entry = [&](size_t list) -> std::string {
    if (fields.size() <= list) return {};
    std::stringstream entries(fields[list]);
    std::string item;
    for (uint32_t index = 0; std::getline(entries, item, ','); ++index)
      if (index == group) return item;
    return {};
  };
  const std::string layout = entry(2), variant = entry(3);
  if (!layout.empty()) source.id = variant.empty() ? layout : layout + "(" + variant + ")";
  return source;
}

void KeyboardLayout::readModifierMapping() {
  X11Connection* x = X11Connection::shared();
  xcb_connection_t* c = x->connection();
  auto reply = xcbReply(xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
  modifierKeys_.clear();
  if (!reply) return;
  const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
  const int perModifier = reply->keycodes_per_modifier;
  XModifierMasks masks;
  bool superFound = false;
  bool numLockFound = false;
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int i = 0; i < perModifier; ++i) {
      xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
      if (keycode == 0) continue;
      const auto mask = static_cast<uint16_t>(1u << modifier);
      modifierKeys_.emplace(keycode, mask);
      if (modifier < 3) continue;  // Shift, Lock and Control are fixed
      uint32_t groups = xkb_keymap_num_layouts_for_key(keymap_, keycode);
      for (uint32_t group = 0; group < groups; ++group) {
        const xkb_keysym_t* syms = nullptr;
        int count = xkb_keymap_key_get_syms_by_level(keymap_, keycode, group, 0, &syms);
        for (int s = 0; s < count; ++s) {
          if ((syms[s] == XKB_KEY_Super_L || syms[s] == XKB_KEY_Super_R) && !superFound) {
            masks.super = mask;
            superFound = true;
          } else if (syms[s] == XKB_KEY_Num_Lock && !numLockFound) {
            masks.numLock = mask;
            numLockFound = true;
          }
        }
      }
    }
  }
  masks_ = masks;
  deliverQueuedEventsLater();
}

}  // namespace platform
