#pragma once

// Asynchronous sequences: a type eraser, a sequence callers push into, a duplicate filter, a two-way merge,
// a consumer task that cancels like a subscription, the first element, and a race of two operations.
//
// An asynchronous sequence here is anything with makeAsyncIterator() whose iterator has next() (awaitable,
// giving std::optional<Element>), or a stream, which is its own iterator.

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <source_location>
#include <type_traits>
#include <utility>

#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"
#include "platform/core/async_stream.h"
#include "platform/core/rx_cancellable.h"
#include "platform/core/task.h"

namespace kit {

namespace detail {

template <class S>
auto iteratorOf(S& sequence) {
  if constexpr (requires { sequence.makeAsyncIterator(); })
    return sequence.makeAsyncIterator();
  else
    return sequence;
}

}  // namespace detail

template <class T>
class AnyAsyncSequence {
 public:
  using Element = T;

  class Iterator {
   public:
    explicit Iterator(std::function<platform::Task<std::optional<T>>()> next) : next_(std::move(next)) {}

    // Wraps any iterator; its progress lives in a shared cell, so copies advance together.
    template <class It>
    requires(!std::is_same_v<std::decay_t<It>, Iterator>) static Iterator wrapping(It iterator) {
      auto cell = std::make_shared<It>(std::move(iterator));
      return Iterator([cell] { return forward(cell); });
    }

    platform::Task<std::optional<T>> next() const { return next_(); }

   private:
    template <class It>
    static platform::Task<std::optional<T>> forward(std::shared_ptr<It> cell) {
      co_return co_await cell->next();
    }
    std::function<platform::Task<std::optional<T>>()> next_;
  };

  template <class S>
  requires(!std::is_same_v<std::decay_t<S>, AnyAsyncSequence>) explicit AnyAsyncSequence(S base)
      : makeIterator_([base]() mutable { return Iterator::wrapping(detail::iteratorOf(base)); }) {}

  // Each call starts a new pass over the base (a stream has only one).
  Iterator makeAsyncIterator() const { return makeIterator_(); }

 private:
  std::function<Iterator()> makeIterator_;
};

// A sequence that callers push into from any thread; one consumer at a time. Sends after finish() are lost.
template <class T>
class PassthroughAsyncSequence {
 public:
  using Element = T;

  PassthroughAsyncSequence() : PassthroughAsyncSequence(platform::AsyncStream<T>::makeStream()) {}

  void send(T element) const { continuation_.yield(std::move(element)); }
  void finish() const { continuation_.finish(); }
  platform::AsyncStream<T> makeAsyncIterator() const { return stream_; }

 private:
  explicit PassthroughAsyncSequence(
      std::pair<platform::AsyncStream<T>, typename platform::AsyncStream<T>::Continuation> made)
      : stream_(std::move(made.first)), continuation_(std::move(made.second)) {}
  platform::AsyncStream<T> stream_;
  typename platform::AsyncStream<T>::Continuation continuation_;
};

// Skips each element that duplicates the last element RECEIVED (delivered or skipped). Its own iterator.
template <class T>
class RemoveDuplicatesAsyncSequence {
 public:
  using Element = T;

  RemoveDuplicatesAsyncSequence(AnyAsyncSequence<T> base, std::function<bool(const T&, const T&)> predicate)
      : state_(std::make_shared<State>(State{base.makeAsyncIterator(), std::move(predicate), std::nullopt})) {}

  platform::Task<std::optional<T>> next() const { return nextOf(state_); }
  RemoveDuplicatesAsyncSequence makeAsyncIterator() const { return *this; }

 private:
  struct State {
    typename AnyAsyncSequence<T>::Iterator upstream;
    std::function<bool(const T&, const T&)> predicate;
    std::optional<T> previous;
  };

  static platform::Task<std::optional<T>> nextOf(std::shared_ptr<State> state) {
    for (;;) {
      std::optional<T> previous = state->previous;
      std::optional<T> result = co_await state->upstream.next();
      state->previous = result;
      if (!previous || !result) co_return result;
      if (!state->predicate(*previous, *result)) co_return result;
    }
  }

  std::shared_ptr<State> state_;
};

template <class S, class Pred>
auto removeDuplicates(S sequence, Pred predicate) {
  using T = typename S::Element;
  return RemoveDuplicatesAsyncSequence<T>(AnyAsyncSequence<T>(std::move(sequence)), std::move(predicate));
}

template <class S>
auto removeDuplicates(S sequence) {
  using T = typename S::Element;
  return removeDuplicates(std::move(sequence), [](const T& a, const T& b) { return a == b; });
}

namespace detail {

template <class T>
platform::Task<> pumpInto(AnyAsyncSequence<T> input, typename platform::AsyncStream<T>::Continuation output) {
  auto iterator = input.makeAsyncIterator();
  while (auto element = co_await iterator.next()) {
    if (output.yield(std::move(*element)) == platform::AsyncStream<T>::Continuation::YieldResult::terminated) co_return;
  }
}

template <class T>
platform::Task<> driveMerge(platform::Task<> first, platform::Task<> second,
                            typename platform::AsyncStream<T>::Continuation output) {
  bool firstFailed = false;
  try {
    co_await first;
  } catch (...) {
    firstFailed = true;
  }
  if (firstFailed) {
    // A failure of the first input ends the merged stream at once.
    output.finish();
    second.cancel();
  }
  try {
    co_await second;
  } catch (...) {
  }
  output.finish();
}

}  // namespace detail

// Interleaves two sequences in the order their elements arrive; ends when both ended (or at once when the first
// fails); input errors are dropped. When the consumer goes away, the pumping tasks are cancelled.
template <class T>
platform::AsyncStream<T> merge(AnyAsyncSequence<T> first, AnyAsyncSequence<T> second) {
  auto streamAndOutput = platform::AsyncStream<T>::makeStream();
  auto stream = std::move(streamAndOutput.first);
  auto output = std::move(streamAndOutput.second);
  platform::Executor& executor = platform::currentTaskExecutor();
  auto firstLoop = platform::spawn(executor, [first, output] { return detail::pumpInto<T>(first, output); });
  auto secondLoop = platform::spawn(executor, [second, output] { return detail::pumpInto<T>(second, output); });
  auto driver = platform::spawn(
      executor, [firstLoop, secondLoop, output] { return detail::driveMerge<T>(firstLoop, secondLoop, output); });
  output.onTermination([firstLoop, secondLoop, driver](platform::StreamTermination) {
    firstLoop.cancel();
    secondLoop.cancel();
    driver.cancel();
  });
  return stream;
}

template <class S>
auto mergeWith(S first, S second) {
  using T = typename S::Element;
  return merge(AnyAsyncSequence<T>(std::move(first)), AnyAsyncSequence<T>(std::move(second)));
}

namespace detail {

void reportUnexpectedStreamError(const std::exception_ptr& error, std::source_location location);

template <class T, class F>
platform::Task<> consume(AnyAsyncSequence<T> sequence, F receiveValue, std::source_location location) {
  try {
    auto iterator = sequence.makeAsyncIterator();
    while (auto element = co_await iterator.next()) {
      if constexpr (std::is_void_v<std::invoke_result_t<F&, const T&>>)
        receiveValue(*element);
      else
        co_await receiveValue(*element);
      platform::checkCancellation();
    }
  } catch (const platform::CancellationError&) {
  } catch (...) {
    reportUnexpectedStreamError(std::current_exception(), location);
  }
}

}  // namespace detail

// Consumes the sequence in a task, calling receiveValue (plain or returning a Task) for each element.
// Cancelling (or dropping) the returned cancellable cancels the task. Errors other than cancellation are
// reported once and end the loop. The task runs on the current task's executor, or on the pool at `priority`.
template <class S, class F>
[[nodiscard]] platform::rx::AnyCancellable sink(S sequence, F receiveValue,
                                                std::optional<platform::Priority> priority = {},
                                                std::source_location location = std::source_location::current()) {
  using T = typename S::Element;
  platform::Executor& executor = priority ? platform::globalExecutor(*priority) : platform::currentTaskExecutor();
  auto task = platform::spawn(executor, [sequence = AnyAsyncSequence<T>(std::move(sequence)), receiveValue, location] {
    return detail::consume<T>(sequence, receiveValue, location);
  });
  return platform::rx::AnyCancellable([task] { task.cancel(); });
}

// Awaits the sequence's first element: none when the sequence ends first. An error of the sequence is passed on.
template <class S>
platform::Task<std::optional<typename S::Element>> firstElement(S sequence) {
  auto iterator = detail::iteratorOf(sequence);
  co_return co_await iterator.next();
}

namespace detail {

template <class T>
platform::Task<> settleRace(std::function<platform::Task<T>()> operation,
                            typename platform::AsyncThrowingStream<T>::Continuation results) {
  std::exception_ptr failure;
  try {
    T value = co_await operation();
    results.yield(std::move(value));
  } catch (...) {
    failure = std::current_exception();
  }
  if (failure) results.finish(failure);
}

}  // namespace detail

// The result (or error) of whichever operation finishes first; the other is cancelled and awaited.
// A caller that is already cancelled gets CancellationError without either operation starting.
template <class T>
platform::Task<T> race(std::function<platform::Task<T>()> first, std::function<platform::Task<T>()> second) {
  platform::checkCancellation();
  auto resultsAndOutput = platform::AsyncThrowingStream<T>::makeStream();
  auto results = std::move(resultsAndOutput.first);
  auto output = std::move(resultsAndOutput.second);
  platform::Executor& executor = platform::currentTaskExecutor();
  auto a = platform::spawn(executor, [first, output] { return detail::settleRace<T>(first, output); });
  auto b = platform::spawn(executor, [second, output] { return detail::settleRace<T>(second, output); });
  std::optional<T> value;
  std::exception_ptr failure;
  try {
    value = co_await results.next();
  } catch (...) {
    failure = std::current_exception();
  }
  a.cancel();
  b.cancel();
  co_await a;
  co_await b;
  if (failure) std::rethrow_exception(failure);
  if (!value) throw platform::CancellationError();  // the caller was cancelled while both ran
  co_return std::move(*value);
}

}  // namespace kit
