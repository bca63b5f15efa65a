#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/core/rx.h"
#include "platform/pasteboard/pasteboard.h"

namespace kit {

// Fires whenever any preferences suite changes.
platform::rx::Publisher<platform::rx::Unit> userDefaultsDidChangePublisher();
// True on every screen lock, false on every unlock; nothing on subscription.
platform::rx::Publisher<bool> screenLockPublisher();
// One value per application launch, termination, hide, unhide, activation and deactivation on the desktop.
platform::rx::Publisher<platform::rx::Unit> applicationEventsPublisher();

// The names under which the lock notifications are known to the rest of the program.
inline const std::string screenIsLockedNotification = "com.apple.screenIsLocked";
inline const std::string screenIsUnlockedNotification = "com.apple.screenIsUnlocked";

// Reads the count of a weakly held pasteboard, whatever the input; none once the pasteboard is gone.
template <class Input>
std::function<std::optional<int64_t>(const Input&)> changeCountSampler(platform::WeakPasteboard pasteboard) {
  return [pasteboard = std::move(pasteboard)](const Input&) { return pasteboard.changeCount(); };
}

// Turns any value into nothing: for mapping a publisher to one of Unit.
inline constexpr auto ignoreValueClosure = [](const auto&) { return platform::rx::Unit{}; };

}  // namespace kit
