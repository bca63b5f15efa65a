#include "platform/core/notification_center.h"

#include <mutex>
#include <utility>
#include <vector>

namespace platform {

namespace detail {

struct NotificationObserver {
  std::string name;
  std::function<void(const Notification&)> callback;
  std::recursive_mutex delivering;
  bool removed = false;  // guarded by `delivering`
};

struct NotificationCenterState {
  std::mutex mutex;
  std::map<std::uint64_t, std::shared_ptr<NotificationObserver>> observers;
  std::uint64_t nextId = 1;
};

}  // namespace detail

NotificationToken::NotificationToken(NotificationToken&& other) noexcept
    : center_(std::move(other.center_)), id_(std::exchange(other.id_, 0)) {}

NotificationToken& NotificationToken::operator=(NotificationToken&& other) noexcept {
  if (this != &other) {
    reset();
    center_ = std::move(other.center_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void NotificationToken::reset() {
  auto center = center_.lock();
  center_.reset();
  if (!center || id_ == 0) return;
  std::shared_ptr<detail::NotificationObserver> observer;
  {
    std::lock_guard lock(center->mutex);
    auto it = center->observers.find(id_);
    if (it != center->observers.end()) {
      observer = std::move(it->second);
      center->observers.erase(it);
    }
  }
  id_ = 0;
  if (observer) {
    std::lock_guard wait(observer->delivering);  // a delivery on another thread completes first
    observer->removed = true;
  }
}

NotificationCenter::NotificationCenter() : state_(std::make_shared<detail::NotificationCenterState>()) {}

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter* center = new NotificationCenter();
  return *center;
}

NotificationToken NotificationCenter::addObserver(std::string name, std::function<void(const Notification&)> observer) {
  auto entry = std::make_shared<detail::NotificationObserver>();
  entry->name = std::move(name);
  entry->callback = std::move(observer);
  std::lock_guard lock(state_->mutex);
  std::uint64_t id = state_->nextId++;
  state_->observers.emplace(id, std::move(entry));
  return NotificationToken(state_, id);
}

void NotificationCenter::post(const Notification& notification) {
  std::vector<std::shared_ptr<detail::NotificationObserver>> targets;
  {
    std::lock_guard lock(state_->mutex);
    for (const auto& [id, observer] : state_->observers)
      if (observer->name == notification.name) targets.push_back(observer);
  }
  for (const auto& observer : targets) {
    std::lock_guard lock(observer->delivering);
    if (!observer->removed) observer->callback(notification);
  }
}

}  // namespace platform
