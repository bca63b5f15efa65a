#pragma once

// Crossing between publishers and streams.

#include <memory>
#include <mutex>
#include <utility>

#include "platform/core/async_stream.h"
#include "platform/core/executor.h"
#include "platform/core/rx.h"
#include "platform/core/task.h"

namespace kit {

// A stream of the publisher's values (unbounded); the publisher's end finishes it. When the consumer stops or the
// stream ends, the subscription is cancelled.
template <class T>
platform::AsyncStream<T> asyncStream(const platform::rx::Publisher<T>& publisher) {
  auto streamAndContinuation = platform::AsyncStream<T>::makeStream();
  auto stream = std::move(streamAndContinuation.first);
  auto continuation = std::move(streamAndContinuation.second);
  auto subscription = std::make_shared<platform::rx::AnyCancellable>(publisher.subscribe(
      {[continuation](const T& value) { continuation.yield(value); }, [continuation] { continuation.finish(); }}));
  continuation.onTermination([subscription](platform::StreamTermination) { subscription->cancel(); });
  return stream;
}

namespace detail {

template <class T>
platform::Task<> pumpToSubject(platform::AsyncStream<T> stream, platform::rx::PassthroughSubject<T> subject) {
  while (auto element = co_await stream.next()) subject.send(*element);
  subject.finish();
}

template <class T>
struct StreamBridge {
  platform::rx::PassthroughSubject<T> subject;
  platform::Task<> task;
  std::mutex mutex;
  int subscribers = 0;
  ~StreamBridge() { task.cancel(); }
};

}  // namespace detail

// A publisher of the stream's elements, sent on the main thread by a task that starts at once. Elements that
// arrive while nobody is subscribed are lost. When the last subscriber cancels, or the publisher and all its
// subscriptions are gone, the task is cancelled: the stream terminates and releases what it holds.
template <class T>
platform::rx::Publisher<T> publisher(platform::AsyncStream<T> stream) {
  auto bridge = std::make_shared<detail::StreamBridge<T>>();
  bridge->task = platform::spawn(platform::mainExecutor(), [stream, subject = bridge->subject] {
    return detail::pumpToSubject<T>(stream, subject);
  });
  return platform::rx::Publisher<T>([bridge](typename platform::rx::Publisher<T>::Subscriber subscriber) {
    {
      std::lock_guard lock(bridge->mutex);
      ++bridge->subscribers;
    }
    auto inner =
        std::make_shared<platform::rx::AnyCancellable>(bridge->subject.publisher().subscribe(std::move(subscriber)));
    return platform::rx::AnyCancellable([bridge, inner] {
      inner->cancel();
      bool last;
      {
        std::lock_guard lock(bridge->mutex);
        last = --bridge->subscribers == 0;
      }
      if (last) bridge->task.cancel();
    });
  });
}

}  // namespace kit
