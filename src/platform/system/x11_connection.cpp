#include "platform/system/x11_connection.h"

#include <xcb/res.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <cstdlib>

#include "platform/system/x11_display.h"
#include "platform/system/xcb_reply.h"

namespace platform {

X11Connection* X11Connection::shared() {
  static X11Connection* instance = []() -> X11Connection* {
    X11DisplayConnection display;
    if (!display.isOpen()) return nullptr;
    xcb_window_t root = display.root();
    return new X11Connection(display.release(), root);  // lives for the process
  }();
  return instance;
}

X11Connection::X11Connection(xcb_connection_t* connection, xcb_window_t root) : connection_(connection), root_(root) {
  watchSocket();
}

void X11Connection::watchSocket() {
  // Events are read from the Qt loop; a connection opened before the application exists starts later.
  if (notifier_ || QCoreApplication::instance() == nullptr ||
      QThread::currentThread() != QCoreApplication::instance()->thread()) {
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { dispatchPending(); });
}

X11Connection::~X11Connection() {
  notifier_.reset();
  xcb_disconnect(connection_);
}

xcb_atom_t X11Connection::atom(std::string_view name) {
  std::string key(name);
  if (auto it = atoms_.find(key); it != atoms_.end()) return it->second;
  auto r = xcbReply(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(key.size()), key.data()), nullptr));
  scheduleDispatch();
  if (!r) return XCB_ATOM_NONE;
  atoms_.emplace(key, r->atom);
  return r->atom;
}

std::string X11Connection::atomName(xcb_atom_t atom) {
  // An atom names the same string for as long as the server runs: each is asked for once.
  if (auto known = atomNames_.find(atom); known != atomNames_.end()) return known->second;
  auto r = xcbReply(xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr));
  scheduleDispatch();
  if (!r) return {};
  std::string name(xcb_get_atom_name_name(r.get()), static_cast<size_t>(xcb_get_atom_name_name_length(r.get())));
  atomNames_.emplace(atom, name);
  return name;
}

namespace {

xcb_get_property_cookie_t askProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
  return xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16);
}

// The reply when the property is present and of the format asked for; none otherwise.
XcbReply<xcb_get_property_reply_t> ofFormat(XcbReply<xcb_get_property_reply_t> reply, uint8_t format) {
  if (!reply || reply->type == XCB_ATOM_NONE || reply->format != format) return nullptr;
  return reply;
}

std::vector<uint32_t> itemsOf32BitProperty(const xcb_get_property_reply_t& reply) {
  auto* data = static_cast<const uint32_t*>(xcb_get_property_value(&reply));
  return {data, data + xcb_get_property_value_length(&reply) / 4};
}

std::optional<std::string> bytesOf8BitProperty(const XcbReply<xcb_get_property_reply_t>& r) {
  if (!r) return std::nullopt;
  return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                     static_cast<size_t>(xcb_get_property_value_length(r.get())));
}

}  // namespace

XcbReply<xcb_get_property_reply_t> X11Connection::property(xcb_window_t window, std::string_view name, uint8_t format) {
  xcb_atom_t a = atom(name);
  if (a == XCB_ATOM_NONE) return nullptr;
  auto r = xcbReply(xcb_get_property_reply(connection_, askProperty(connection_, window, a), nullptr));
  scheduleDispatch();
  return ofFormat(std::move(r), format);
}

X11Connection::PropertiesQuestion X11Connection::askProperties(xcb_window_t window,
                                                               const std::vector<std::string_view>& names) {
  PropertiesQuestion question;
  question.cookies.reserve(names.size());
  for (std::string_view name : names) {
    xcb_atom_t a = atom(name);
    if (a == XCB_ATOM_NONE) {
      question.cookies.emplace_back();
    } else {
      question.cookies.emplace_back(askProperty(connection_, window, a));
    }
  }
  return question;
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): takes the question over, as each is answered once
std::vector<XcbReply<xcb_get_property_reply_t>> X11Connection::answerIn(PropertiesQuestion question, uint8_t format) {
  std::vector<XcbReply<xcb_get_property_reply_t>> replies;
  replies.reserve(question.cookies.size());
  for (const auto& cookie : question.cookies) {
    auto r = cookie ? xcbReply(xcb_get_property_reply(connection_, *cookie, nullptr)) : nullptr;
    replies.push_back(ofFormat(std::move(r), format));
  }
  scheduleDispatch();
  return replies;
}

std::vector<std::optional<std::vector<uint32_t>>> X11Connection::answer32(PropertiesQuestion question) {
  std::vector<std::optional<std::vector<uint32_t>>> values;
  values.reserve(question.cookies.size());
  for (const auto& r : answerIn(std::move(question), 32)) {
    values.push_back(r ? std::optional(itemsOf32BitProperty(*r)) : std::nullopt);
  }
  return values;
}

std::vector<std::optional<std::string>> X11Connection::answer8(PropertiesQuestion question) {
  std::vector<std::optional<std::string>> values;
  values.reserve(question.cookies.size());
  for (const auto& r : answerIn(std::move(question), 8)) values.push_back(bytesOf8BitProperty(r));
  return values;
}

std::optional<std::vector<uint32_t>> X11Connection::property32(xcb_window_t window, std::string_view name) {
  auto r = property(window, name, 32);
  if (!r) return std::nullopt;
  return itemsOf32BitProperty(*r);
}

std::vector<std::optional<std::vector<uint32_t>>> X11Connection::properties32(
    xcb_window_t window, const std::vector<std::string_view>& names) {
  // All asked for before the first answer is awaited: one round trip instead of one per property.
  return answer32(askProperties(window, names));
}

std::optional<uint32_t> X11Connection::cardinal(xcb_window_t window, std::string_view name) {
  auto values = property32(window, name);
  if (!values || values->empty()) return std::nullopt;
  return values->front();
}

std::optional<std::string> X11Connection::property8(xcb_window_t window, std::string_view name) {
  return bytesOf8BitProperty(property(window, name, 8));
}

std::vector<std::optional<std::string>> X11Connection::properties8(xcb_window_t window,
                                                                   const std::vector<std::string_view>& names) {
  return answer8(askProperties(window, names));
}

std::pair<std::string, std::string> X11Connection::wmClass(xcb_window_t window) {
  return splitWmClass(property8(window, "WM_CLASS"));
}

std::pair<std::string, std::string> X11Connection::splitWmClass(const std::optional<std::string>& raw) {
  if (!raw) return {};
  // Two NUL-terminated strings: instance, then class.
  size_t first = raw->find('\0');
  std::string instance = raw->substr(0, first);
  std::string cls;
  if (first != std::string::npos) {
    size_t second = raw->find('\0', first + 1);
    cls = raw->substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  }
  return {instance, cls};
}

std::optional<int32_t> X11Connection::pidOfClient(xcb_window_t window) { return answer(askPidOfClient(window)); }

X11Connection::PidQuestion X11Connection::askPidOfClient(xcb_window_t window) {
  if (extensionFirstEvent(&xcb_res_id) == std::nullopt) return {};
  xcb_res_client_id_spec_t client{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
  return {xcb_res_query_client_ids(connection_, 1, &client)};
}

std::optional<int32_t> X11Connection::answer(PidQuestion question) {
  if (!question.cookie) return std::nullopt;
  auto r = xcbReply(xcb_res_query_client_ids_reply(connection_, *question.cookie, nullptr));
  scheduleDispatch();
  if (!r) return std::nullopt;
  for (auto it = xcb_res_query_client_ids_ids_iterator(r.get()); it.rem > 0; xcb_res_client_id_value_next(&it)) {
    if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
        xcb_res_client_id_value_value_length(it.data) >= 1) {
      return static_cast<int32_t>(*xcb_res_client_id_value_value(it.data));
    }
  }
  return std::nullopt;
}

void X11Connection::forget(PidQuestion question) {
  if (question.cookie) xcb_discard_reply(connection_, question.cookie->sequence);
}

std::optional<uint64_t> X11Connection::resourceBytesOfClient(xcb_window_t window) {
  return answer(askResourceBytesOfClient(window));
}

X11Connection::ResourceBytesQuestion X11Connection::askResourceBytesOfClient(xcb_window_t window) {
  if (extensionFirstEvent(&xcb_res_id) == std::nullopt) return {};
  const xcb_res_resource_id_spec_t everything{XCB_NONE, XCB_NONE};  // every resource of every type
  return {xcb_res_query_resource_bytes(connection_, window, 1, &everything)};
}

std::optional<uint64_t> X11Connection::answer(ResourceBytesQuestion question) {
  if (!question.cookie) return std::nullopt;
  auto r = xcbReply(xcb_res_query_resource_bytes_reply(connection_, *question.cookie, nullptr));
  scheduleDispatch();
  if (!r) return std::nullopt;
  uint64_t total = 0;
  // Each resource once; what it refers to (a window's background pixmap) is counted as a resource of its own.
  for (auto it = xcb_res_query_resource_bytes_sizes_iterator(r.get()); it.rem > 0;
       xcb_res_resource_size_value_next(&it)) {
    total += it.data->size.bytes;
  }
  return total;
}

std::optional<int32_t> X11Connection::pidOfWindow(xcb_window_t window) {
  if (auto pid = cardinal(window, "_NET_WM_PID"); pid && *pid > 0) return static_cast<int32_t>(*pid);
  return pidOfClient(window);
}

std::vector<std::optional<int32_t>> X11Connection::pidsOfWindows(const std::vector<xcb_window_t>& windows) {
  std::vector<WindowPidQuestion> questions;
  questions.reserve(windows.size());
  for (xcb_window_t window : windows) questions.push_back(askPidOfWindow(window));
  std::vector<std::optional<int32_t>> pids;
  pids.reserve(windows.size());
  for (auto& question : questions) pids.push_back(answer(std::move(question)));
  return pids;
}

X11Connection::WindowPidQuestion X11Connection::askPidOfWindow(xcb_window_t window) {
  // Both asked at once; the server's answer stands in where the window does not name its process.
  return {askProperties(window, {"_NET_WM_PID"}), askPidOfClient(window)};
}

std::optional<int32_t> X11Connection::answer(WindowPidQuestion question) {
  auto named = answer32(std::move(question.netWmPid)).front();
  if (named && !named->empty() && named->front() > 0) {
    forget(question.client);
    return static_cast<int32_t>(named->front());
  }
  return answer(question.client);
}

xcb_window_t X11Connection::topLevelOf(xcb_window_t window) {
  xcb_window_t current = window;
  for (int depth = 0; depth < 64 && current != XCB_NONE && current != root_; ++depth) {
    auto r = xcbReply(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, current), nullptr));
    scheduleDispatch();
    if (!r) return XCB_NONE;
    if (r->parent == root_ || r->parent == XCB_NONE) return current;
    current = r->parent;
  }
  return current == root_ ? XCB_NONE : current;
}

void X11Connection::selectRootEvents(uint32_t mask) {
  rootEventMask_ |= mask;
  xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &rootEventMask_);
  xcb_flush(connection_);
}

rx::AnyCancellable X11Connection::addEventListener(EventListener listener) {
  watchSocket();
  int id = nextListenerId_++;
  listeners_.emplace(id, std::move(listener));
  return rx::AnyCancellable([this, id] { listeners_.erase(id); });  // the connection lives for the process
}

void X11Connection::dispatchPending() {
  dispatchScheduled_ = false;
  while (auto event = nextEvent()) {
    // Copy the listeners: a listener may remove itself or others.
    auto listeners = listeners_;
    for (auto& [id, listener] : listeners) {
      if (listeners_.count(id) != 0) listener(*event);
    }
  }
}

XcbReply<xcb_generic_event_t> X11Connection::nextEvent() {
  if (readAhead_.empty()) return xcbReply(xcb_poll_for_event(connection_));
  auto event = std::move(readAhead_.front());
  readAhead_.pop_front();
  return event;
}

const std::deque<XcbReply<xcb_generic_event_t>>& X11Connection::readAhead() {
  // Unlike a queued-event poll, this poll reads the socket when xcb's queue is empty.
  while (auto event = xcbReply(xcb_poll_for_event(connection_))) readAhead_.push_back(std::move(event));
  // The socket may be empty now, so it will not wake the loop for these.
  if (!readAhead_.empty()) scheduleDispatch();
  return readAhead_;
}

std::optional<uint8_t> X11Connection::extensionFirstEvent(xcb_extension_t* extension) {
  const xcb_query_extension_reply_t* data = xcb_get_extension_data(connection_, extension);
  if (data == nullptr || data->present == 0) return std::nullopt;
  return data->first_event;
}

void X11Connection::scheduleDispatch() {
  // A reply wait can read events into xcb's queue without the socket becoming readable again.
  if (dispatchScheduled_ || !notifier_) return;
  dispatchScheduled_ = true;
  QMetaObject::invokeMethod(
      notifier_.get(), [this] { dispatchPending(); }, Qt::QueuedConnection);
}

}  // namespace platform
