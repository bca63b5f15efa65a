#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
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

  // Refers to a centre without keeping it: lock() gives the centre (a handle sharing its state) while it lives.
  class WeakReference {
   public:
    std::optional<NotificationCenter> lock() const;

   private:
    friend class NotificationCenter;
    std::weak_ptr<detail::NotificationCenterState> state_;
  };
  WeakReference weakReference() const;

 private:
  explicit NotificationCenter(std::shared_ptr<detail::NotificationCenterState> state) : state_(std::move(state)) {}
  std::shared_ptr<detail::NotificationCenterState> state_;
};

}  // namespace platform
