#pragma once

#include <cstdint>

namespace app {

// What a click on the status item does.
enum class StatusItemClick { primaryButton, secondaryButton, other };
enum class StatusItemClickResult { showMenu, primaryAction, nothing };

// Primary (left) click opens the menu, or toggles automatic clearing with exactly Super held (nothing with Super
// and more); secondary (right) click toggles; anything else does nothing. Caps Lock, Num Lock and Fn are ignored.
StatusItemClickResult routeStatusItemClick(StatusItemClick click, uint64_t modifierFlags);

}  // namespace app
