#pragma once

namespace kit::GlobalShortcuts {

// Starts following our menus, once per process (every Name does this), and reports each open and close to the
// global shortcuts (setMenuOpen).
void observeMenuTracking();

}  // namespace kit::GlobalShortcuts
