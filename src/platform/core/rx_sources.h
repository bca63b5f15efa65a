#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/core/notification_center.h"
#include "platform/core/rx_publisher.h"

namespace platform::rx {

// Ticks on the main executor every `every`, with one timer per subscription started on subscribe. The ticks keep to
// multiples of `every` from the subscription; a tolerance lets each come up to that much late (a coarse timer).
Publisher<Unit> timerPublisher(std::chrono::nanoseconds every, std::optional<std::chrono::nanoseconds> tolerance = {});

// The notifications of one name, one observation per subscriber, delivered on the posting thread.
Publisher<Notification> notifications(NotificationCenter& center, std::string name);

}  // namespace platform::rx
