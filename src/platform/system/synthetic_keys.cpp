#include "platform/system/synthetic_keys.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <QCoreApplication>
#include <memory>

#include "platform/system/hot_keys.h"
#include "platform/system/keyboard_layout.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"

namespace platform {

namespace {

// Keycodes of the C and V keys of a US keyboard, for layouts without a Latin group.
constexpr uint8_t fallbackC = 54;
constexpr uint8_t fallbackV = 55;
constexpr uint8_t fallbackControl = 37;

void fakeKey(xcb_connection_t* c, xcb_window_t root, uint8_t type, uint8_t keycode) {
  xcb_test_fake_input(c, type, keycode, XCB_CURRENT_TIME, root, 0, 0, 0);
}

uint8_t chordKeycode(KeyboardLayout* layout, uint16_t virtualKeyCode) {
  if (virtualKeyCode == 8 || virtualKeyCode == 9) {
    const bool copy = virtualKeyCode == 8;
    if (layout != nullptr) {
      if (auto keycode = layout->keycodeForKeysym(copy ? XKB_KEY_c : XKB_KEY_v)) return *keycode;
    }
    return copy ? fallbackC : fallbackV;
  }
  return xKeycodeForVirtualKey(virtualKeyCode).value_or(0);
}

}  // namespace

bool SyntheticKeys::canPost() {
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return false;
  xcb_connection_t* c = x->connection();
  return xcbReply(xcb_test_get_version_reply(c, xcb_test_get_version(c, 2, 2), nullptr)) != nullptr;
}

void SyntheticKeys::postCommandChord(uint16_t virtualKeyCode) {
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return;
  xcb_connection_t* c = x->connection();
  const xcb_window_t root = x->root();
  KeyboardLayout* layout = KeyboardLayout::shared();
  const uint8_t key = chordKeycode(layout, virtualKeyCode);
  if (key == 0) return;

  // While a passive grab is active (the shortcut's key still down), fake keys go to the grabbing client: us.
  xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
  HotKeys& hotKeys = HotKeys::shared();
  hotKeys.suspendAll();

  // Fake input combines with the keys physically held: let go of the modifiers first.
  auto keymap = xcbReply(xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
  if (keymap && layout != nullptr) {
    for (const auto& [keycode, bit] : layout->modifierKeys()) {
      if ((keymap->keys[keycode / 8] & (1u << (keycode % 8))) != 0) fakeKey(c, root, XCB_KEY_RELEASE, keycode);
    }
  }

  uint8_t control = fallbackControl;
  if (layout != nullptr) control = layout->keycodeForKeysym(XKB_KEY_Control_L).value_or(fallbackControl);
  fakeKey(c, root, XCB_KEY_PRESS, control);
  fakeKey(c, root, XCB_KEY_PRESS, key);
  fakeKey(c, root, XCB_KEY_RELEASE, key);
  fakeKey(c, root, XCB_KEY_RELEASE, control);

  hotKeys.resumeAll();
  xcb_flush(c);
  if (QCoreApplication::instance() != nullptr) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { X11Connection::shared()->dispatchPending(); }, Qt::QueuedConnection);
  }
}

}  // namespace platform
