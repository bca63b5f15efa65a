#pragma once

#include <QDBusConnection>
#include <exception>

#include "platform/core/async_stream.h"
#include "platform/core/clock.h"

namespace kit {

// One compass reading: degrees clockwise from magnetic north, and when it was taken.
struct Heading {
  double magneticHeading = 0;
  platform::Date timestamp;
  bool operator==(const Heading&) const = default;
};

// Forwards the compass's callbacks into a stream: each heading is yielded, a failure ends the stream with its error
// (headings after it are dropped).
class HeadingDelegate {
 public:
  explicit HeadingDelegate(platform::AsyncThrowingStream<Heading>::Continuation continuation)
      : continuation_(std::move(continuation)) {}
  void didUpdateHeading(const Heading& heading) { continuation_.yield(heading); }
  void didFail(std::exception_ptr error) { continuation_.finish(std::move(error)); }

 private:
  platform::AsyncThrowingStream<Heading>::Continuation continuation_;
};

// The compass headings of this computer as a stream, from the sensor service on the system bus (tests give a bus of
// their own). It ends with a platform::CompassError when the service is not running, the computer has no compass,
// or the service goes away; ending the consumer releases the compass. Made on the main thread.
platform::AsyncThrowingStream<Heading> headingUpdates(const QDBusConnection& bus = QDBusConnection::systemBus());

}  // namespace kit
