#include "kit/foundation/system_event_publishers.h"

#include "platform/core/notification_center.h"
#include "platform/system/screen_lock.h"
#include "platform/system/workspace.h"

namespace kit {

using platform::rx::Publisher;
using platform::rx::Unit;

Publisher<Unit> userDefaultsDidChangePublisher() {
  static const auto publisher =
      platform::rx::notifications(platform::NotificationCenter::defaultCenter(), "NSUserDefaultsDidChangeNotification")
          .map(ignoreValueClosure);
  return publisher;
}

Publisher<bool> screenLockPublisher() { return platform::ScreenLock::changes(); }

Publisher<Unit> applicationEventsPublisher() {
  // The workspace is looked up at each subscription: a test installs its own.
  static const Publisher<Unit> publisher([](Publisher<Unit>::Subscriber subscriber) {
    return platform::Workspace::shared().applicationEvents().map(ignoreValueClosure).subscribe(std::move(subscriber));
  });
  return publisher;
}

}  // namespace kit
