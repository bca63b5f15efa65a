#include "platform/core/rx_sources.h"

#include <atomic>
#include <memory>

#include "platform/core/periodic_thread.h"

namespace platform::rx {

Publisher<Unit> timerPublisher(std::chrono::nanoseconds every, std::optional<std::chrono::nanoseconds> tolerance) {
  return Publisher<Unit>([every, tolerance](Publisher<Unit>::Subscriber down) {
    Cancel timer = mainExecutor().postRepeating(every, tolerance.value_or(std::chrono::nanoseconds::zero()),
                                                [value = std::move(down.value)] { value(Unit{}); });
    return AnyCancellable([timer]() mutable { timer.cancel(); });
  });
}

Publisher<Unit> sampledChanges(std::chrono::nanoseconds every, std::optional<std::chrono::nanoseconds> tolerance,
                               std::function<std::int64_t()> sample) {
  return Publisher<Unit>([every, tolerance, sample = std::move(sample)](Publisher<Unit>::Subscriber down) {
    struct Watch {
      std::function<void(const Unit&)> value;
      std::atomic<bool> cancelled{false};
    };
    auto watch = std::make_shared<Watch>();
    watch->value = std::move(down.value);
    Executor* main = &mainExecutor();
    auto read = [main, sample, weak = std::weak_ptr<Watch>(watch), last = sample()]() mutable {
      std::int64_t now = sample();
      if (now == last) return;
      last = now;
      main->post([weak] {
        if (auto watch = weak.lock(); watch && !watch->cancelled.load()) watch->value(Unit{});
      });
    };
    auto reads =
        std::make_shared<PeriodicThread>(every, tolerance.value_or(std::chrono::nanoseconds::zero()), std::move(read));
    return AnyCancellable([watch, reads] {
      watch->cancelled.store(true);
      reads->stop();
    });
  });
}

Publisher<Notification> notifications(NotificationCenter& center, std::string name) {
  NotificationCenter* c = &center;
  return Publisher<Notification>([c, name = std::move(name)](const Publisher<Notification>::Subscriber& down) {
    return c->addObserver(name, [value = down.value](const Notification& n) { value(n); });
  });
}

}  // namespace platform::rx
