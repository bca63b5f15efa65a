#pragma once

// Cold, callback-based publishers with unlimited demand. Delivery is synchronous on the sending thread
// unless receiveOn/delay move it. A sink delivers nothing once cancel() has returned: a delivery in progress
// on another thread is waited for, and a sink may cancel itself from inside its own callback.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <vector>

#include "platform/core/executor.h"
#include "platform/core/rx_cancellable.h"

namespace platform::rx {

template <class T>
class Publisher;

namespace detail {

template <class T>
struct SinkState {
  SinkState(std::function<void(const T&)> onValue, std::function<void()> onFinished)
      : onValue(std::move(onValue)), onFinished(std::move(onFinished)) {}

  std::function<void(const T&)> onValue;
  std::function<void()> onFinished;
  std::recursive_mutex delivering;
  std::atomic<bool> cancelled{false};
  std::mutex upstreamMutex;
  AnyCancellable upstream;

  void deliver(const T& value) {
    if (cancelled.load(std::memory_order_acquire)) return;
    std::lock_guard lock(delivering);
    if (cancelled.load(std::memory_order_acquire)) return;
    if (onValue) onValue(value);
  }

  void finish() {
    {
      std::lock_guard lock(delivering);
      if (cancelled.exchange(true)) return;
      if (onFinished) onFinished();
    }
    releaseUpstream();
  }

  void cancel() {
    cancelled.store(true, std::memory_order_release);
    { std::lock_guard wait(delivering); }  // a delivery running on another thread completes first
    releaseUpstream();
  }

  void releaseUpstream() {
    AnyCancellable up;
    {
      std::lock_guard lock(upstreamMutex);
      up = std::move(upstream);
    }
    up.cancel();
  }

  void adoptUpstream(AnyCancellable up) {
    {
      std::lock_guard lock(upstreamMutex);
      if (!cancelled.load()) {
        upstream = std::move(up);
        return;
      }
    }
    up.cancel();  // cancelled or finished while subscribing
  }
};

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {
  using Value = T;
};

}  // namespace detail

template <class T>
class Publisher {
 public:
  using Output = T;
  struct Subscriber {
    std::function<void(const T&)> value;
    std::function<void()> finished;
  };

  explicit Publisher(std::function<AnyCancellable(Subscriber)> subscribe) : subscribe_(std::move(subscribe)) {}

  // The raw subscription that operators build on; most code wants sink().
  AnyCancellable subscribe(Subscriber subscriber) const {
    if (!subscriber.finished) subscriber.finished = [] {};
    return subscribe_(std::move(subscriber));
  }

  [[nodiscard]] AnyCancellable sink(std::function<void(const T&)> onValue,
                                    std::function<void()> onFinished = {}) const {
    auto state = std::make_shared<detail::SinkState<T>>(std::move(onValue), std::move(onFinished));
    state->adoptUpstream(subscribe({[state](const T& v) { state->deliver(v); }, [state] { state->finish(); }}));
    return AnyCancellable([state] { state->cancel(); });
  }

  template <class F>
  auto map(F transform) const {
    using U = std::decay_t<std::invoke_result_t<F&, const T&>>;
    Publisher up = *this;
    return Publisher<U>([up, transform](typename Publisher<U>::Subscriber down) {
      return up.subscribe({[down, transform](const T& v) mutable { down.value(transform(v)); }, down.finished});
    });
  }

  // F returns std::optional<U>; empty results are dropped.
  template <class F>
  auto compactMap(F transform) const {
    using R = std::decay_t<std::invoke_result_t<F&, const T&>>;
    using U = typename detail::IsOptional<R>::Value;
    Publisher up = *this;
    return Publisher<U>([up, transform](typename Publisher<U>::Subscriber down) {
      return up.subscribe({[down, transform](const T& v) mutable {
                             if (auto u = transform(v)) down.value(*u);
                           },
                           down.finished});
    });
  }

  // Drops values equal to the previous one of the same subscription.
  Publisher removeDuplicates() const {
    Publisher up = *this;
    return Publisher([up](Subscriber down) {
      struct Last {
        std::mutex mutex;
        std::optional<T> value;
      };
      auto last = std::make_shared<Last>();
      return up.subscribe({[down, last](const T& v) {
                             {
                               std::lock_guard lock(last->mutex);
                               if (last->value && *last->value == v) return;
                               last->value = v;
                             }
                             down.value(v);
                           },
                           down.finished});
    });
  }

  Publisher dropFirst(std::size_t count = 1) const {
    Publisher up = *this;
    return Publisher([up, count](Subscriber down) {
      auto seen = std::make_shared<std::atomic<std::size_t>>(0);
      return up.subscribe({[down, seen, count](const T& v) {
                             if (seen->fetch_add(1) >= count) down.value(v);
                           },
                           down.finished});
    });
  }

  // Delivers values and the end on `executor`, in order.
  Publisher receiveOn(Executor& executor) const {
    Publisher up = *this;
    Executor* ex = &executor;
    return Publisher([up, ex](Subscriber down) {
      return up.subscribe({[down, ex](const T& v) { ex->post([down, v] { down.value(v); }); },
                           [down, ex] { ex->post([down] { down.finished(); }); }});
    });
  }

  Publisher delay(std::chrono::nanoseconds by, Executor& executor) const {
    Publisher up = *this;
    Executor* ex = &executor;
    return Publisher([up, ex, by](Subscriber down) {
      return up.subscribe({[down, ex, by](const T& v) { ex->postAfter(by, [down, v] { down.value(v); }); },
                           [down, ex, by] { ex->postAfter(by, [down] { down.finished(); }); }});
    });
  }

  // Passes a value on, on the executor, only once `interval` has gone by without a newer one; a newer value
  // replaces the waiting one. The end is passed on at once (a waiting value is dropped).
  Publisher debounce(std::chrono::nanoseconds interval, Executor& executor) const {
    Publisher up = *this;
    Executor* ex = &executor;
    return Publisher([up, ex, interval](Subscriber down) {
      struct Waiting {
        std::mutex mutex;
        Cancel value;
      };
      auto waiting = std::make_shared<Waiting>();
      auto upstream = std::make_shared<AnyCancellable>(up.subscribe({[down, ex, interval, waiting](const T& v) {
                                                                       std::lock_guard lock(waiting->mutex);
                                                                       waiting->value.cancel();
                                                                       waiting->value = ex->postAfter(
                                                                           interval, [down, v] { down.value(v); });
                                                                     },
                                                                     [down, ex, waiting] {
                                                                       {
                                                                         std::lock_guard lock(waiting->mutex);
                                                                         waiting->value.cancel();
                                                                       }
                                                                       ex->post([down] { down.finished(); });
                                                                     }}));
      return AnyCancellable([upstream, waiting] {
        upstream->cancel();
        std::lock_guard lock(waiting->mutex);
        waiting->value.cancel();
      });
    });
  }

 private:
  std::function<AnyCancellable(Subscriber)> subscribe_;
};

// Interleaves the inputs in send order and finishes once every input finished.
template <class T>
Publisher<T> merge(std::vector<Publisher<T>> inputs) {
  return Publisher<T>([inputs](typename Publisher<T>::Subscriber down) {
    if (inputs.empty()) {
      down.finished();
      return AnyCancellable();
    }
    auto remaining = std::make_shared<std::atomic<std::size_t>>(inputs.size());
    auto subscriptions = std::make_shared<std::vector<AnyCancellable>>();
    subscriptions->reserve(inputs.size());
    for (const auto& input : inputs) {
      subscriptions->push_back(input.subscribe({down.value, [down, remaining] {
                                                  if (remaining->fetch_sub(1) == 1) down.finished();
                                                }}));
    }
    return AnyCancellable([subscriptions] {
      for (auto& s : *subscriptions) s.cancel();
    });
  });
}

template <class T>
Publisher<T> empty(bool completeImmediately = true) {
  return Publisher<T>([completeImmediately](typename Publisher<T>::Subscriber down) {
    if (completeImmediately) down.finished();
    return AnyCancellable();
  });
}

}  // namespace platform::rx
