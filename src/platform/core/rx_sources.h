#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/core/notification_center.h"
#include "platform/core/rx_publisher.h"

namespace platform::rx {

// Ticks on the main executor every `every`, with one timer per subscription started on subscribe. The ticks keep to
// multiples of `every` from the subscription; a tolerance lets each come up to that much late (a coarse timer).
Publisher<Unit> timerPublisher(std::chrono::nanoseconds every, std::optional<std::chrono::nanoseconds> tolerance = {});

// Ticks on the main executor when a value has changed: `sample` is read on subscribe and then every `every` (each
// read up to `tolerance` late) on a thread of the subscription's own, and a read that differs from the one before it
// ticks. A read that finds the value as it was wakes no other thread and, when `sample` allocates nothing, allocates
// nothing. `sample` must be safe to call from any thread. Cancelling ends the reads at once.
Publisher<Unit> sampledChanges(std::chrono::nanoseconds every, std::optional<std::chrono::nanoseconds> tolerance,
                               std::function<std::int64_t()> sample);

// The notifications of one name, one observation per subscriber, delivered on the posting thread.
Publisher<Notification> notifications(NotificationCenter& center, std::string name);

}  // namespace platform::rx
