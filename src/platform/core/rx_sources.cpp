#include "platform/core/rx_sources.h"

#include <memory>

namespace platform::rx {

Publisher<Unit> timerPublisher(std::chrono::nanoseconds every, std::optional<std::chrono::nanoseconds> tolerance) {
  return Publisher<Unit>([every, tolerance](Publisher<Unit>::Subscriber down) {
    Cancel timer = mainExecutor().postRepeating(every, tolerance.value_or(std::chrono::nanoseconds::zero()),
                                                [value = std::move(down.value)] { value(Unit{}); });
    return AnyCancellable([timer]() mutable { timer.cancel(); });
  });
}

Publisher<Notification> notifications(NotificationCenter& center, std::string name) {
  NotificationCenter* c = &center;
  return Publisher<Notification>([c, name](Publisher<Notification>::Subscriber down) {
    return c->addObserver(name, [value = down.value](const Notification& n) { value(n); });
  });
}

}  // namespace platform::rx
