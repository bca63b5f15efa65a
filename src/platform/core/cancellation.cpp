#include "platform/core/cancellation.h"

namespace platform {

void CancellationState::cancel() {
  std::map<HandlerId, std::function<void()>> handlers;
  {
    std::lock_guard lock(mutex_);
    if (cancelled_.load(std::memory_order_relaxed)) return;
    cancelled_.store(true, std::memory_order_release);
    handlers.swap(handlers_);
  }
  for (auto& [id, handler] : handlers) handler();
}

std::optional<HandlerId> CancellationState::addHandler(std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  if (cancelled_.load(std::memory_order_relaxed)) return std::nullopt;
  HandlerId id = nextId_++;
  handlers_.emplace(id, std::move(handler));
  return id;
}

void CancellationState::removeHandler(HandlerId id) {
  std::function<void()> removed;  // destroyed outside the lock
  std::lock_guard lock(mutex_);
  auto it = handlers_.find(id);
  if (it == handlers_.end()) return;
  removed = std::move(it->second);
  handlers_.erase(it);
}
}  // namespace platform
