#include "platform/system/hot_keys.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

#include "platform/system/keyboard_layout.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"
#include "platform/system/xcb_xkb.h"

namespace platform {

namespace {

// Lock variants grabbed with every combination, so that Caps Lock and Num Lock do not matter.
std::array<uint16_t, 4> lockVariants(const XModifierMasks& masks) {
  return {0, masks.capsLock, masks.numLock, static_cast<uint16_t>(masks.capsLock | masks.numLock)};
}

void deliverQueuedEventsLater() {
  if (QCoreApplication::instance() == nullptr) return;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { X11Connection::shared()->dispatchPending(); }, Qt::QueuedConnection);
}

}  // namespace

// Watches the key events that reach our own windows while a menu holds the keyboard.
class HotKeys::MenuKeyFilter : public QObject {
 public:
  explicit MenuKeyFilter(HotKeys& owner) : owner_(owner) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
      return QObject::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->nativeScanCode() == 0 || key->nativeScanCode() > 255 || key->isAutoRepeat()) return false;
    if (event->type() == QEvent::KeyPress && owner_.menuKeyClaim_ && owner_.menuKeyClaim_(*key)) return false;
    return owner_.handleKey(static_cast<uint8_t>(key->nativeScanCode()), static_cast<uint16_t>(key->nativeModifiers()),
                            event->type() == QEvent::KeyPress, true);
  }

 private:
  HotKeys& owner_;
};

HotKeys& HotKeys::shared() {
  static HotKeys* instance = new HotKeys();  // lives for the process: X may call back until exit
  return *instance;
}

HotKeys::HotKeys() {
  X11Connection* x = X11Connection::shared();
  if (x == nullptr || KeyboardLayout::shared() == nullptr) return;
  xcb_connection_t* c = x->connection();
  // Without this a held key repeats as release/press pairs, and every pair would fire the shortcut again.
  xcbReply(xcb_xkb_per_client_flags_reply(
      c,
      xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                               XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0),
      nullptr));
  xcb_flush(c);
  deliverQueuedEventsLater();

  keyEvents_ = x->addEventListener([this](const xcb_generic_event_t& event) {
    const uint8_t type = event.response_type & 0x7f;
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
      const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
      handleXEvent(type, key.detail, key.state, key.time);
    }
  });
  keymapChanges_ = KeyboardLayout::shared()->changes().sink(
      [this](const XModifierMasks& before) { regrabAfterMappingChange(before); });
  available_ = true;
}

HotKeys::~HotKeys() = default;

bool HotKeys::isAvailable() const { return available_; }

void HotKeys::setEventHandler(std::function<void(const HotKeyEvent&)> handler) { handler_ = std::move(handler); }

bool HotKeys::grab(uint8_t keycode, uint16_t modifiers) {
  X11Connection* x = X11Connection::shared();
  xcb_connection_t* c = x->connection();
  std::vector<std::pair<xcb_void_cookie_t, uint16_t>> cookies;
  for (uint16_t variant : lockVariants(KeyboardLayout::currentModifierMasks())) {
    const auto mods = static_cast<uint16_t>(modifiers | variant);
    cookies.emplace_back(xcb_grab_key_checked(c, 1, x->root(), mods, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                         mods);
  }
  bool refused = false;
  std::vector<uint16_t> granted;
  for (auto& [cookie, mods] : cookies) {
    if (xcbReply(xcb_request_check(c, cookie)) == nullptr) {
      granted.push_back(mods);
    } else {
      refused = true;  // BadAccess: another client holds it
    }
  }
  if (refused) {
    for (uint16_t mods : granted) xcb_ungrab_key(c, keycode, x->root(), mods);
    xcb_flush(c);
  }
  deliverQueuedEventsLater();
  return !refused;
}

void HotKeys::ungrab(uint8_t keycode, uint16_t modifiers) {
  X11Connection* x = X11Connection::shared();
  for (uint16_t variant : lockVariants(KeyboardLayout::currentModifierMasks())) {
    xcb_ungrab_key(x->connection(), keycode, x->root(), static_cast<uint16_t>(modifiers | variant));
  }
  xcb_flush(x->connection());
}

bool HotKeys::isGrabbedByAnother(const Record& record) const {
  for (const auto& [id, other] : records_) {
    if (&other != &record && other.grabbed && other.keycode == record.keycode && other.modifiers == record.modifiers) {
      return true;
    }
  }
  return false;
}

bool HotKeys::acquire(Record& record) {
  if (record.grabbed) return true;
  if (!isGrabbedByAnother(record) && !grab(record.keycode, record.modifiers)) return false;
  record.grabbed = true;
  return true;
}

void HotKeys::release(Record& record) {
  if (!record.grabbed) return;
  // A key held stays held: its release still comes, through the grab it activated or through the menu.
  record.grabbed = false;
  if (!isGrabbedByAnother(record)) ungrab(record.keycode, record.modifiers);
}

bool HotKeys::registerHotKey(uint32_t id, int64_t carbonKeyCode, int64_t carbonModifiers) {
  if (!isAvailable() || records_.count(id) != 0) return false;
  if (carbonModifiers < 0 || carbonModifiers > UINT32_MAX) return false;
  auto keycode = xKeycodeForVirtualKey(carbonKeyCode);
  if (!keycode) return false;
  Record record{carbonKeyCode, carbonModifiers, *keycode,
                xModifiersForCarbon(static_cast<uint32_t>(carbonModifiers), KeyboardLayout::currentModifierMasks())};
  // Grab even while everything is suspended: only a real grab tells whether someone else holds it.
  if (!acquire(record)) return false;
  auto& stored = records_.emplace(id, record).first->second;
  if (suspendDepth_ > 0) release(stored);
  return true;
}

void HotKeys::unregister(uint32_t id) {
  auto it = records_.find(id);
  if (it == records_.end()) return;
  release(it->second);
  records_.erase(it);
}

void HotKeys::suspend(uint32_t id) {
  auto it = records_.find(id);
  if (it == records_.end()) return;
  it->second.suspended = true;
  release(it->second);
}

bool HotKeys::resume(uint32_t id) {
  auto it = records_.find(id);
  if (it == records_.end()) return false;
  it->second.suspended = false;
  if (suspendDepth_ > 0) return true;  // grabbed again by the last resumeAll
  if (acquire(it->second)) return true;
  records_.erase(it);
  return false;
}

void HotKeys::suspendAll() {
  if (suspendDepth_++ > 0) return;
  for (auto& [id, record] : records_) release(record);
}

void HotKeys::resumeAll() {
  if (suspendDepth_ == 0 || --suspendDepth_ > 0) return;
  // A combination that someone else took meanwhile stays ungrabbed and is tried again next time.
  for (auto& [id, record] : records_) {
    if (!record.suspended) acquire(record);
  }
}

bool HotKeys::isTakenBySomeoneElse(int64_t carbonKeyCode, int64_t carbonModifiers) {
  if (!isAvailable() || carbonModifiers < 0 || carbonModifiers > UINT32_MAX) return false;
  auto keycode = xKeycodeForVirtualKey(carbonKeyCode);
  if (!keycode) return false;
  const uint16_t modifiers =
      xModifiersForCarbon(static_cast<uint32_t>(carbonModifiers), KeyboardLayout::currentModifierMasks());
  for (const auto& [id, record] : records_) {
    if (record.keycode == *keycode && record.modifiers == modifiers) return false;
  }
  if (!grab(*keycode, modifiers)) return true;
  ungrab(*keycode, modifiers);
  return false;
}

void HotKeys::setMenuOpen(bool open) {
  if (open == menuOpen_) return;
  menuOpen_ = open;
  QCoreApplication* app = QCoreApplication::instance();
  if (open && app != nullptr) {
    menuFilter_ = std::make_unique<MenuKeyFilter>(*this);
    app->installEventFilter(menuFilter_.get());
  } else {
    menuFilter_.reset();  // destroying the filter removes it
  }
  watchReleasesAfterMenu();
}

void HotKeys::setMenuKeyClaim(std::function<bool(const QKeyEvent&)> claims) { menuKeyClaim_ = std::move(claims); }

void HotKeys::regrabAfterMappingChange(const XModifierMasks& before) {
  const XModifierMasks masks = KeyboardLayout::currentModifierMasks();
  // Keys are grabbed by position, which no layout changes; only moved modifiers (Super, Num Lock) need new grabs.
  if (masks.super == before.super && masks.numLock == before.numLock && masks.alt == before.alt) return;
  X11Connection* x = X11Connection::shared();
  // Drops every grab of ours on the root window, whatever masks they were made with.
  xcb_ungrab_key(x->connection(), XCB_GRAB_ANY, x->root(), XCB_MOD_MASK_ANY);
  for (auto& [id, record] : records_) {
    record.grabbed = false;
    record.modifiers = xModifiersForCarbon(static_cast<uint32_t>(record.carbonModifiers), masks);
  }
  if (suspendDepth_ > 0) return;
  for (auto& [id, record] : records_) {
    if (!record.suspended) acquire(record);
  }
}

void HotKeys::handleXEvent(uint8_t type, uint8_t keycode, uint16_t state, uint32_t time) {
  lastEventTime_ = time;
  handleKey(keycode, state, type == XCB_KEY_PRESS, false);
}

bool HotKeys::handleKey(uint8_t keycode, uint16_t state, bool pressed, bool fromMenu) {
  if (pressed) {
    const uint16_t modifiers = state & KeyboardLayout::currentModifierMasks().shortcutModifiers();
    for (auto& [id, record] : records_) {
      if (record.keycode != keycode || record.modifiers != modifiers) continue;
      if (!fromMenu && !record.grabbed) continue;
      if (record.down) {
        // A repeat of the held key: an open menu takes it as any other key. Through our grab, the grab is active
        // now and brings the release.
        if (!fromMenu) record.pressedInMenu = false;
        return !fromMenu;
      }
      record.down = true;
      record.pressedInMenu = fromMenu;
      emit({id, true});
      return true;
    }
    return false;
  }
  // The release can carry no modifiers when they were let go first: match the held key alone.
  for (auto& [id, record] : records_) {
    if (record.keycode != keycode || !record.down) continue;
    record.down = false;
    record.pressedInMenu = false;
    emit({id, false});
    return true;
  }
  return false;
}

void HotKeys::watchReleasesAfterMenu() {
  const bool waiting = !menuOpen_ && std::any_of(records_.begin(), records_.end(), [](const auto& entry) {
    return entry.second.down && entry.second.pressedInMenu;
  });
  if (waiting == watchingReleases_) return;
  watchingReleases_ = waiting;
  if (!waiting) {
    releaseWatch_.cancel();
    return;
  }
  using std::chrono::milliseconds;
  releaseWatch_ =
      mainExecutor().postRepeating(milliseconds(30), milliseconds(10), [this] { releaseKeysUpAfterMenu(); });
}

void HotKeys::releaseKeysUpAfterMenu() {
  xcb_connection_t* c = X11Connection::shared()->connection();
  auto keymap = xcbReply(xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
  deliverQueuedEventsLater();
  if (!keymap) return;
  std::vector<uint32_t> released;
  for (auto& [id, record] : records_) {
    if (!record.down || !record.pressedInMenu) continue;
    if ((keymap->keys[record.keycode / 8] & (1u << (record.keycode % 8))) != 0) continue;
    record.down = false;
    record.pressedInMenu = false;
    released.push_back(id);
  }
  watchReleasesAfterMenu();
  for (uint32_t id : released) emit({id, false});
}

void HotKeys::emit(const HotKeyEvent& event) {
  if (handler_) {
    auto handler = handler_;  // the handler may replace itself
    handler(event);
  }
}

}  // namespace platform
