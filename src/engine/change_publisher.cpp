#include "engine/change_publisher.h"

#include <cstdint>
#include <limits>
#include <vector>

#include "kit/foundation/event_monitors.h"
#include "kit/foundation/publisher_streams.h"
#include "kit/foundation/system_event_publishers.h"
#include "platform/core/executor.h"
#include "platform/system/input_event.h"

namespace engine {

namespace rx = platform::rx;
using namespace std::chrono_literals;

namespace {

// What the timer reads once the pasteboard is gone: no count a pasteboard has.
constexpr int64_t goneCount = std::numeric_limits<int64_t>::min();

rx::Publisher<rx::Unit> onSubscription() {
  return rx::Publisher<rx::Unit>([](const rx::Publisher<rx::Unit>::Subscriber& subscriber) {
    subscriber.value(rx::Unit{});
    return rx::AnyCancellable();
  });
}

rx::Publisher<rx::Unit> modifierChanges() {
  return kit::publisher(kit::globalEventStream(platform::eventMask(platform::EventType::flagsChanged)))
      .map(kit::ignoreValueClosure);
}

}  // namespace

rx::Publisher<rx::Unit> changePublisher(platform::Pasteboard& pasteboard,
                                        std::optional<std::chrono::nanoseconds> interval,
                                        std::optional<std::chrono::nanoseconds> tolerance) {
  const platform::WeakPasteboard source = pasteboard.weak();
  std::vector<rx::Publisher<rx::Unit>> triggers = {
      onSubscription(),
      // The timer's reads stay off the main thread until one finds a new count, which the merge then samples again.
      // A pasteboard that is gone reads as a count of its own, once: the merge then finds nothing.
      rx::sampledChanges(interval.value_or(200ms), tolerance.value_or(100ms),
                         [source] { return source.changeCount().value_or(goneCount); }),
      kit::applicationEventsPublisher(),
      modifierChanges(),
      modifierChanges().delay(100ms, platform::mainExecutor()),
      pasteboard.changes().map(kit::ignoreValueClosure),
  };
  return rx::merge(std::move(triggers))
      .compactMap(kit::changeCountSampler<rx::Unit>(source))
      .removeDuplicates()
      .map(kit::ignoreValueClosure);
}

}  // namespace engine
