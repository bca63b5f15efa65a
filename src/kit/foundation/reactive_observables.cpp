#include "kit/foundation/reactive_observables.h"

namespace kit {

ViewTimer::ViewTimer(std::chrono::nanoseconds interval, std::optional<std::chrono::nanoseconds> tolerance) {
  // Ticks arrive on the main executor; destroying the timer cancels the subscription before `this` goes away.
  cancellable_ = platform::rx::timerPublisher(interval, tolerance).sink([this](const platform::rx::Unit&) {
    objectWillChange.send(platform::rx::Unit{});
    value_ = !value_;
  });
}

ListenOnlyPublisherObservable::ListenOnlyPublisherObservable(
    const platform::rx::Publisher<platform::rx::Unit>& source) {
  cancellable_ =
      source.receiveOn(platform::mainExecutor()).sink([announce = objectWillChange](const platform::rx::Unit&) {
        announce.send(platform::rx::Unit{});
      });
}

}  // namespace kit
