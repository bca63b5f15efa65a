#include "platform/system/input_monitors.h"

#include <xcb/xcb_keysyms.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QObject>
#include <map>

#include "platform/system/modifier_flags.h"
#include "platform/system/qt_input_events.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"
#include "platform/system/xcb_xkb.h"

namespace platform {

namespace {

constexpr uint32_t superL = 0xffeb, superR = 0xffec;

// The modifier bit Super is mapped to (usually Mod4).
uint16_t superMask(X11Connection& x) {
  auto mapping =
      xcbReply(xcb_get_modifier_mapping_reply(x.connection(), xcb_get_modifier_mapping(x.connection()), nullptr));
  if (!mapping) return XModifier::mod4;
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(x.connection());
  if (symbols == nullptr) return XModifier::mod4;
  const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
  uint16_t mask = 0;
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int i = 0; i < mapping->keycodes_per_modifier; ++i) {
      xcb_keycode_t code = codes[modifier * mapping->keycodes_per_modifier + i];
      if (code == 0) continue;
      for (int column = 0; column < 4; ++column) {
        xcb_keysym_t sym = xcb_key_symbols_get_keysym(symbols, code, column);
        if (sym == superL || sym == superR) mask |= static_cast<uint16_t>(1u << modifier);
      }
    }
  }
  xcb_key_symbols_free(symbols);
  return mask != 0 ? mask : XModifier::mod4;
}

// The session's modifier state through XKB StateNotify events on our connection.
class GlobalFlagsWatcher {
 public:
  static GlobalFlagsWatcher* shared() {
    static GlobalFlagsWatcher* watcher = []() -> GlobalFlagsWatcher* {
      X11Connection* x = X11Connection::shared();
      if (x == nullptr) return nullptr;
      auto first = x->extensionFirstEvent(&xcb_xkb_id);
      if (!first) return nullptr;
      auto version =
          xcbReply(xcb_xkb_use_extension_reply(x->connection(), xcb_xkb_use_extension(x->connection(), 1, 0), nullptr));
      if (!version || version->supported == 0) return nullptr;
      return new GlobalFlagsWatcher(*x, *first);
    }();
    return watcher;
  }

  MonitorId add(EventMask mask, std::function<void(const Event&)> handler, MonitorId id) {
    handlers_.emplace(id, Handler{mask, std::move(handler)});
    return id;
  }
  bool remove(MonitorId id) { return handlers_.erase(id) != 0; }

  uint64_t queryFlags() {
    auto pointer =
        xcbReply(xcb_query_pointer_reply(x_.connection(), xcb_query_pointer(x_.connection(), x_.root()), nullptr));
    return pointer ? modifierFlagsFromXState(pointer->mask & 0xFF, superMask_) : 0;
  }

 private:
  struct Handler {
    EventMask mask;
    std::function<void(const Event&)> handler;
  };

  GlobalFlagsWatcher(X11Connection& x, uint8_t firstEvent) : x_(x), firstEvent_(firstEvent) {
    superMask_ = superMask(x_);
    xcb_xkb_select_events_details_t details{};
    details.affectState = details.stateDetails = XCB_XKB_STATE_PART_MODIFIER_STATE | XCB_XKB_STATE_PART_MODIFIER_BASE |
                                                 XCB_XKB_STATE_PART_MODIFIER_LATCH | XCB_XKB_STATE_PART_MODIFIER_LOCK;
    xcb_xkb_select_events_aux(x_.connection(), XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_EVENT_TYPE_STATE_NOTIFY, 0, 0, 0, 0,
                              &details);
    xcb_flush(x_.connection());
    lastFlags_ = queryFlags();
    stateChanges_ = x_.addEventListener([this](const xcb_generic_event_t& event) { handle(event); });
  }

  void handle(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != firstEvent_) return;
    // All XKB events share one code; the second byte names the kind.
    const auto* any = reinterpret_cast<const uint8_t*>(&event);
    if (any[1] != XCB_XKB_STATE_NOTIFY) return;
    const auto& state = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
    uint64_t flags = modifierFlagsFromXState(state.mods, superMask_);
    if (flags == lastFlags_) return;
    lastFlags_ = flags;
    Event out;
    out.type = EventType::flagsChanged;
    out.modifierFlags = flags;
    out.nativeKeyCode = state.keycode;
    out.timestamp = state.time / 1000.0;
    auto handlers = handlers_;
    for (auto& [id, h] : handlers) {
      if (handlers_.count(id) != 0 && maskContains(h.mask, EventType::flagsChanged)) h.handler(out);
    }
  }

  X11Connection& x_;
  uint8_t firstEvent_;
  uint16_t superMask_ = XModifier::mod4;
  uint64_t lastFlags_ = 0;
  std::map<MonitorId, Handler> handlers_;
  rx::AnyCancellable stateChanges_;
};

// Local monitors: an event filter on the application, in front of every widget.
class LocalFilter final : public QObject {
 public:
  struct Handler {
    EventMask mask;
    std::function<std::optional<Event>(const Event&)> handler;
  };
  std::map<MonitorId, Handler> handlers;

  bool eventFilter(QObject* receiver, QEvent* qevent) override {
    if (handlers.empty() || replaying_) return false;
    auto converted = convert(qevent);
    if (!converted) return false;
    Event event = *converted;
    auto current = handlers;
    for (auto& [id, h] : current) {
      if (handlers.count(id) == 0 || !maskContains(h.mask, event.type)) continue;
      auto result = h.handler(event);
      if (!result) return true;  // swallowed
      event = *result;
    }
    if (event.type == converted->type && event.nativeKeyCode == converted->nativeKeyCode &&
        event.modifierFlags == converted->modifierFlags && event.characters == converted->characters) {
      return false;
    }
    int key = (qevent->type() == QEvent::KeyPress || qevent->type() == QEvent::KeyRelease)
                  ? static_cast<QKeyEvent*>(qevent)->key()
                  : 0;
    replay(receiver, event, key);
    return true;
  }

 private:
  static std::optional<Event> convert(QEvent* qevent) { return eventFromQt(*qevent); }

  void replay(QObject* receiver, const Event& event, int key) {
    if (event.type != EventType::keyDown && event.type != EventType::keyUp) return;  // only keys are replaced
    QKeyEvent replacement(event.type == EventType::keyDown ? QEvent::KeyPress : QEvent::KeyRelease, key,
                          qtFromFlags(event.modifierFlags), event.nativeKeyCode, 0, 0,
                          QString::fromStdString(event.characters), event.isARepeat);
    replaying_ = true;
    QCoreApplication::sendEvent(receiver, &replacement);
    replaying_ = false;
  }

  bool replaying_ = false;
};

LocalFilter* localFilter() {
  static LocalFilter* filter = [] {
    auto* f = new LocalFilter;
    QCoreApplication::instance()->installEventFilter(f);
    return f;
  }();
  return filter;
}

MonitorId nextMonitorId = 1;

}  // namespace

std::optional<MonitorId> InputMonitors::addGlobalMonitor(EventMask mask, std::function<void(const Event&)> handler) {
  GlobalFlagsWatcher* watcher = GlobalFlagsWatcher::shared();
  if (watcher == nullptr) return std::nullopt;
  return watcher->add(mask, std::move(handler), nextMonitorId++);
}

std::optional<MonitorId> InputMonitors::addLocalMonitor(EventMask mask,
                                                        std::function<std::optional<Event>(const Event&)> handler) {
  if (QCoreApplication::instance() == nullptr) return std::nullopt;
  MonitorId id = nextMonitorId++;
  localFilter()->handlers.emplace(id, LocalFilter::Handler{mask, std::move(handler)});
  return id;
}

void InputMonitors::removeMonitor(MonitorId id) {
  if (GlobalFlagsWatcher* watcher = X11Connection::shared() ? GlobalFlagsWatcher::shared() : nullptr) {
    if (watcher->remove(id)) return;
  }
  if (QCoreApplication::instance() != nullptr) localFilter()->handlers.erase(id);
}

uint64_t InputMonitors::currentModifierFlags() {
  GlobalFlagsWatcher* watcher = GlobalFlagsWatcher::shared();
  return watcher != nullptr ? watcher->queryFlags() : 0;
}

}  // namespace platform
