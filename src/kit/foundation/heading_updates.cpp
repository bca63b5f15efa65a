#include "kit/foundation/heading_updates.h"

#include <memory>

#include "platform/core/executor.h"
#include "platform/system/compass.h"

namespace kit {

platform::AsyncThrowingStream<Heading> headingUpdates(const QDBusConnection& bus) {
  using Stream = platform::AsyncThrowingStream<Heading>;
  return Stream([bus](const Stream::Continuation& continuation) {
    auto delegate = std::make_shared<HeadingDelegate>(continuation);
    auto compass = std::make_shared<platform::SensorProxyCompass>(bus);
    // The compass lives until the stream ends, and is stopped and released on the main thread.
    continuation.onTermination([compass](Stream::Termination) mutable {
      platform::mainExecutor().post([compass = std::move(compass)] { compass->stop(); });
    });
    compass->start(
        [delegate](double degrees) {
          delegate->didUpdateHeading({degrees, platform::clock().now()});
        },
        [delegate](std::exception_ptr error) { delegate->didFail(std::move(error)); });
  });
}

}  // namespace kit
