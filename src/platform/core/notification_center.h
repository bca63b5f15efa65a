#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/core/rx_cancellable.h"

namespace platform {

struct Notification {
  std::string name;
  std::map<std::string, std::any> userInfo;
};

namespace detail {
struct NotificationCenterState;
}

// Name → observers, delivered synchronously on the posting thread.
class NotificationCenter {
 public:
  NotificationCenter();
  static NotificationCenter& defaultCenter();

  // Observes until the returned token is cancelled or destroyed; once that returns, the observer is not called
  // again. A token outliving its centre does nothing.
  [[nodiscard]] rx::AnyCancellable addObserver(std::string name, std::function<void(const Notification&)> observer);
  void post(const Notification& notification);

 private:
  std::shared_ptr<detail::NotificationCenterState> state_;
};

}  // namespace platform
