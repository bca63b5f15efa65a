#include "platform/core/rx_sources.h"

#include <memory>
#include <mutex>

namespace platform::rx {

namespace {

struct RepeatingTimer : std::enable_shared_from_this<RepeatingTimer> {
  std::chrono::nanoseconds every;
  Publisher<Unit>::Subscriber down;
  std::mutex mutex;
  Cancel pending;
  bool stopped = false;

  void schedule() {
    std::lock_guard lock(mutex);
    if (stopped) return;
    std::weak_ptr<RepeatingTimer> weak = shared_from_this();
    pending = mainExecutor().postAfter(every, [weak] {
      if (auto self = weak.lock()) self->tick();
    });
  }

  void tick() {
    {
      std::lock_guard lock(mutex);
      if (stopped) return;
    }
    down.value(Unit{});
    schedule();
  }

  void stop() {
    std::lock_guard lock(mutex);
    stopped = true;
    pending.cancel();
  }
};

}  // namespace

Publisher<Unit> timerPublisher(std::chrono::nanoseconds every, std::optional<std::chrono::nanoseconds>) {
  return Publisher<Unit>([every](Publisher<Unit>::Subscriber down) {
    auto timer = std::make_shared<RepeatingTimer>();
    timer->every = every;
    timer->down = std::move(down);
    timer->schedule();
    return AnyCancellable([timer] { timer->stop(); });
  });
}

Publisher<Notification> notifications(NotificationCenter& center, std::string name) {
  NotificationCenter* c = &center;
  return Publisher<Notification>([c, name](Publisher<Notification>::Subscriber down) {
    return c->addObserver(name, [value = down.value](const Notification& n) { value(n); });
  });
}

}  // namespace platform::rx
