#pragma once

#include <cstdint>

namespace app {

// What reaches the status item: the primary (left) button's press, the secondary (right) button's press and release.
enum class StatusItemClick { primaryButton, secondaryButtonDown, secondaryButtonUp, other };
enum class StatusItemClickResult { showMenu, primaryAction, nothing };

// Primary (left) click opens the menu, or toggles automatic clearing with exactly Super held (nothing with Super
// and more); the secondary (right) button toggles at its release, its press does nothing; anything else does
// nothing. Caps Lock, Num Lock and Fn are ignored.
StatusItemClickResult routeStatusItemClick(StatusItemClick click, uint64_t modifierFlags);

}  // namespace app
