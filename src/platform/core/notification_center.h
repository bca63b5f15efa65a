#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace platform {

struct Notification {
  std::string name;
  std::map<std::string, std::any> userInfo;
};

namespace detail {
struct NotificationCenterState;
}

// Removes its observation when destroyed (or reset). Does nothing if the centre is already gone.
class NotificationToken {
 public:
  NotificationToken() = default;
  NotificationToken(std::weak_ptr<detail::NotificationCenterState> center, std::uint64_t id)
      : center_(std::move(center)), id_(id) {}
  NotificationToken(NotificationToken&& other) noexcept;
  NotificationToken& operator=(NotificationToken&& other) noexcept;
  NotificationToken(const NotificationToken&) = delete;
  NotificationToken& operator=(const NotificationToken&) = delete;
  ~NotificationToken() { reset(); }

  // Ends the observation; once this returns the observer is not called again.
  void reset();

 private:
  std::weak_ptr<detail::NotificationCenterState> center_;
  std::uint64_t id_ = 0;
};

// Name → observers, delivered synchronously on the posting thread.
class NotificationCenter {
 public:
  NotificationCenter();
  static NotificationCenter& defaultCenter();

  [[nodiscard]] NotificationToken addObserver(std::string name, std::function<void(const Notification&)> observer);
  void post(const Notification& notification);

 private:
  std::shared_ptr<detail::NotificationCenterState> state_;
};

}  // namespace platform
