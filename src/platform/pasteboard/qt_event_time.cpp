#include "platform/pasteboard/qt_event_time.h"

#include <xcb/xfixes.h>

#include <QCoreApplication>
#include <cstdint>

namespace platform {

namespace {

// Later on the server's clock, which wraps about every 49 days: within half a turn of each other.
bool isLater(xcb_timestamp_t time, xcb_timestamp_t than) { return static_cast<int32_t>(time - than) > 0; }

}  // namespace

QtEventTime::QtEventTime(xcb_connection_t* qtConnection) {
  if (const auto* fixes = xcb_get_extension_data(qtConnection, &xcb_xfixes_id); fixes != nullptr && fixes->present)
    selectionNotify_ = static_cast<uint8_t>(fixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
  QCoreApplication::instance()->installNativeEventFilter(this);
}

QtEventTime::~QtEventTime() {
  if (auto* application = QCoreApplication::instance()) application->removeNativeEventFilter(this);
}

bool QtEventTime::reached(xcb_timestamp_t serverTime) const { return newest_ && !isLater(serverTime, *newest_); }

bool QtEventTime::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  const uint8_t type = event->response_type & 0x7f;
  std::optional<xcb_timestamp_t> time;
  if (type == XCB_PROPERTY_NOTIFY) {
    time = reinterpret_cast<const xcb_property_notify_event_t*>(event)->time;
  } else if (selectionNotify_ && type == *selectionNotify_) {
    time = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event)->timestamp;
  }
  if (time && (!newest_ || isLater(*time, *newest_))) newest_ = time;
  return false;  // only looks
}

}  // namespace platform
