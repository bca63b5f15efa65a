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

namespace {

// Ends one observation; a delivery in progress on another thread completes first.
void removeObserver(const std::weak_ptr<detail::NotificationCenterState>& weakCenter, std::uint64_t id) {
  auto center = weakCenter.lock();
  if (!center) return;
  std::shared_ptr<detail::NotificationObserver> observer;
  {
    std::lock_guard lock(center->mutex);
    auto it = center->observers.find(id);
    if (it == center->observers.end()) return;
    observer = std::move(it->second);
    center->observers.erase(it);
  }
  std::lock_guard wait(observer->delivering);
  observer->removed = true;
}

}  // namespace

NotificationCenter::NotificationCenter() : state_(std::make_shared<detail::NotificationCenterState>()) {}

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter* center = new NotificationCenter();
  return *center;
}

rx::AnyCancellable NotificationCenter::addObserver(std::string name,
                                                   std::function<void(const Notification&)> observer) {
  auto entry = std::make_shared<detail::NotificationObserver>();
  entry->name = std::move(name);
  entry->callback = std::move(observer);
  std::lock_guard lock(state_->mutex);
  std::uint64_t id = state_->nextId++;
  state_->observers.emplace(id, std::move(entry));
  return rx::AnyCancellable(
      [center = std::weak_ptr<detail::NotificationCenterState>(state_), id] { removeObserver(center, id); });
}

NotificationCenter::WeakReference NotificationCenter::weakReference() const {
  WeakReference reference;
  reference.state_ = state_;
  return reference;
}

std::optional<NotificationCenter> NotificationCenter::WeakReference::lock() const {
  auto state = state_.lock();
  if (!state) return std::nullopt;
  return NotificationCenter(std::move(state));
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
