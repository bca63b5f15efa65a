#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <optional>

namespace platform {

// The newest server time among the events Qt has handled on its own connection. Qt stamps a take of the clipboard
// with the time of the last event it handled, and the server ignores a take stamped before the current owner's, so a
// take made before Qt handled the news of another client's copy is refused. Counts the two kinds of event Qt takes
// its time from that tell of the server's clock without user input: property changes and changes of a selection's
// owner. Qt's own time is never older than what this has seen. Main thread only.
class QtEventTime final : public QAbstractNativeEventFilter {
 public:
  // Starts counting the events of Qt's connection `qtConnection`, which must outlive it.
  explicit QtEventTime(xcb_connection_t* qtConnection);
  ~QtEventTime() override;
  QtEventTime(const QtEventTime&) = delete;
  QtEventTime& operator=(const QtEventTime&) = delete;

  // Whether Qt has handled an event at or after `serverTime` (the server's 32-bit clock, which wraps).
  bool reached(xcb_timestamp_t serverTime) const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  std::optional<uint8_t> selectionNotify_;  // the event code of XFixes' selection notification; none without it
  std::optional<xcb_timestamp_t> newest_;
};

}  // namespace platform
