#include "kit/foundation/system_event_publishers.h"

#include "platform/core/notification_center.h"
#include "platform/system/screen_lock.h"
#include "platform/system/workspace.h"

namespace kit {

using platform::rx::AnyCancellable;
using platform::rx::Publisher;
using platform::rx::Unit;

Publisher<Unit> userDefaultsDidChangePublisher() {
  static const auto publisher =
      platform::rx::notifications(platform::NotificationCenter::defaultCenter(), "NSUserDefaultsDidChangeNotification")
          .asVoid();
  return publisher;
}

Publisher<bool> screenLockPublisher() {
  static const Publisher<bool> publisher([](Publisher<bool>::Subscriber subscriber) {
    int id = platform::ScreenLock::addChangeHandler([subscriber](bool locked) { subscriber.value(locked); });
    return AnyCancellable([id] { platform::ScreenLock::removeChangeHandler(id); });
  });
  return publisher;
}

Publisher<Unit> applicationEventsPublisher() {
  static const Publisher<Unit> publisher([](Publisher<Unit>::Subscriber subscriber) {
    platform::Workspace& workspace = platform::Workspace::shared();
    int id = workspace.addEventHandler([subscriber](platform::ApplicationEvent) { subscriber.value(Unit{}); });
    return AnyCancellable([&workspace, id] { workspace.removeEventHandler(id); });
  });
  return publisher;
}

Publisher<int64_t> pasteboardChangeCountPublisher(platform::Pasteboard& pasteboard) {
  platform::Pasteboard* source = &pasteboard;
  return Publisher<int64_t>([source](Publisher<int64_t>::Subscriber subscriber) {
    int id = source->addChangeHandler([subscriber](int64_t count) { subscriber.value(count); });
    return AnyCancellable([source, id] { source->removeChangeHandler(id); });
  });
}

}  // namespace kit
