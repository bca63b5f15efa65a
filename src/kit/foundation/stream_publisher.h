#pragma once

#include <memory>
#include <mutex>

#include "platform/core/async_stream.h"
#include "platform/core/executor.h"
#include "platform/core/rx.h"
#include "platform/core/task.h"

namespace kit {

// A publisher of a stream's elements, sent on the main thread in stream order by a task that starts at once.
// Elements that arrive while nobody is subscribed are lost. The task (and with it the stream, whose
// termination handler releases what feeds it) is cancelled when the last subscriber of a publisher that had
// subscribers cancels, or when the publisher and all its subscriptions are gone.
template <class T>
platform::rx::Publisher<T> publisher(platform::AsyncStream<T> stream) {
  struct Bridge {
    platform::rx::PassthroughSubject<T> subject;
    platform::Task<> task;
    std::mutex mutex;
    int subscribers = 0;
    ~Bridge() { task.cancel(); }
  };
  auto bridge = std::make_shared<Bridge>();
  std::weak_ptr<Bridge> weak = bridge;
  bridge->task = platform::spawn(platform::mainExecutor(), [stream, weak]() -> platform::Task<> {
    while (auto element = co_await stream.next()) {
      auto strong = weak.lock();
      if (!strong) co_return;
      strong->subject.send(*element);
    }
    if (auto strong = weak.lock()) strong->subject.finish();
  });
  return platform::rx::Publisher<T>([bridge](typename platform::rx::Publisher<T>::Subscriber subscriber) {
    {
      std::lock_guard lock(bridge->mutex);
      ++bridge->subscribers;
    }
    auto inner = std::make_shared<platform::rx::AnyCancellable>(bridge->subject.publisher().subscribe(subscriber));
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
