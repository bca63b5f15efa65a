#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/core/rx_publisher.h"

namespace platform::rx {

namespace detail {

// Subscribers of a subject. The list is copied before delivering, so a subscriber may cancel (or subscribe)
// from inside its callback.
template <class T>
struct SubscriberList : std::enable_shared_from_this<SubscriberList<T>> {
  using Subscriber = typename Publisher<T>::Subscriber;
  std::mutex mutex;
  std::map<std::uint64_t, Subscriber> subscribers;
  std::uint64_t nextId = 1;
  bool completed = false;

  // Called with the lock held.
  AnyCancellable addLocked(Subscriber subscriber) {
    std::uint64_t id = nextId++;
    subscribers.emplace(id, std::move(subscriber));
    std::weak_ptr<SubscriberList> weak = this->shared_from_this();
    return AnyCancellable([weak, id] {
      if (auto self = weak.lock()) {
        Subscriber removed;
        std::lock_guard lock(self->mutex);
        auto it = self->subscribers.find(id);
        if (it == self->subscribers.end()) return;
        removed = std::move(it->second);
        self->subscribers.erase(it);
      }
    });
  }

  std::vector<Subscriber> snapshotLocked() const {
    std::vector<Subscriber> copy;
    copy.reserve(subscribers.size());
    for (const auto& [id, s] : subscribers) copy.push_back(s);
    return copy;
  }

  void finish() {
    std::map<std::uint64_t, Subscriber> finishing;
    {
      std::lock_guard lock(mutex);
      if (completed) return;
      completed = true;
      finishing.swap(subscribers);
    }
    for (auto& [id, s] : finishing) s.finished();
  }
};

}  // namespace detail

// Forwards each value to the current subscribers; keeps nothing for later ones.
template <class T>
class PassthroughSubject {
 public:
  PassthroughSubject() : list_(std::make_shared<detail::SubscriberList<T>>()) {}

  void send(const T& value) const {
    std::vector<typename Publisher<T>::Subscriber> targets;
    {
      std::lock_guard lock(list_->mutex);
      if (list_->completed) return;
      targets = list_->snapshotLocked();
    }
    for (auto& s : targets) s.value(value);
  }

  void finish() const { list_->finish(); }

  Publisher<T> publisher() const {
    auto list = list_;
    return Publisher<T>([list](typename Publisher<T>::Subscriber subscriber) {
      std::unique_lock lock(list->mutex);
      if (list->completed) {
        lock.unlock();
        subscriber.finished();
        return AnyCancellable();
      }
      return list->addLocked(std::move(subscriber));
    });
  }

 private:
  std::shared_ptr<detail::SubscriberList<T>> list_;
};

// Holds a current value, replays it to each new subscriber and forwards every sent value.
template <class T>
class CurrentValueSubject {
 public:
  explicit CurrentValueSubject(T initial) : state_(std::make_shared<State>(std::move(initial))) {}

  T value() const {
    std::lock_guard lock(state_->list->mutex);
    return state_->value;
  }

  void send(T value) const {
    std::vector<typename Publisher<T>::Subscriber> targets;
    {
      std::lock_guard lock(state_->list->mutex);
      state_->value = value;
      targets = state_->list->snapshotLocked();
    }
    for (auto& s : targets) s.value(value);
  }

  // Sends only a value that differs from the current one; says whether it did.
  bool sendIfChanged(const T& value) const {
    std::vector<typename Publisher<T>::Subscriber> targets;
    {
      std::lock_guard lock(state_->list->mutex);
      if (state_->value == value) return false;
      state_->value = value;
      targets = state_->list->snapshotLocked();
    }
    for (auto& s : targets) s.value(value);
    return true;
  }

  Publisher<T> publisher() const {
    auto state = state_;
    return Publisher<T>([state](typename Publisher<T>::Subscriber subscriber) {
      std::optional<T> current;
      AnyCancellable cancellable;
      {
        std::lock_guard lock(state->list->mutex);
        current.emplace(state->value);
        cancellable = state->list->addLocked(subscriber);
      }
      subscriber.value(*current);
      return cancellable;
    });
  }

 private:
  struct State {
    explicit State(T initial) : value(std::move(initial)) {}
    std::shared_ptr<detail::SubscriberList<T>> list = std::make_shared<detail::SubscriberList<T>>();
    T value;
  };
  std::shared_ptr<State> state_;
};

}  // namespace platform::rx
