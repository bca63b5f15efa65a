#pragma once

#include <chrono>
#include <optional>

#include "platform/core/rx.h"
#include "platform/pasteboard/pasteboard.h"

namespace engine {

// One value for each observed change of the pasteboard's change count. The count is sampled when the
// publisher is subscribed, on every tick of a timer (`interval`, default 0.2 s, with `tolerance`, default
// 0.1 s), on every application event, on every modifier change (at once and again 0.1 s later) and at once
// whenever the clipboard's owner changes. The count found at subscription is the first value. The timer's ticks
// read the count off the main thread, and come to the main thread only when it has changed. The pasteboard is held
// weakly: once it is gone, no trigger yields anything.
platform::rx::Publisher<platform::rx::Unit> changePublisher(
    platform::Pasteboard& pasteboard, std::optional<std::chrono::nanoseconds> interval = std::nullopt,
    std::optional<std::chrono::nanoseconds> tolerance = std::nullopt);

}  // namespace engine
