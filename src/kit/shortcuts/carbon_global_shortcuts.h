#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <unordered_set>

#include "kit/shortcuts/shortcut.h"

namespace kit {

// Turns shortcuts into system-wide hot keys (platform::HotKeys) and calls the callbacks given with each
// registration when its combination is pressed or released. While one of our menus is open the hot keys are
// suspended and the combinations are recognised in the key events that reach the menu instead. Main thread only.
class CarbonGlobalShortcuts {
 public:
  using Callback = std::function<void(const GlobalShortcuts::Shortcut&)>;

  struct HotKey {
    GlobalShortcuts::Shortcut shortcut;
    uint32_t carbonHotKeyId;
    bool isRegistered;  // false while suspended by unregisterAll()
    Callback onKeyDown, onKeyUp;
  };

  // False when the system refused the combination; the id is spent either way.
  static bool registerShortcut(const GlobalShortcuts::Shortcut& shortcut, Callback onKeyDown, Callback onKeyUp);
  // Every registration of that combination.
  static void unregister(const GlobalShortcuts::Shortcut& shortcut);
  // Suspends and resumes all registrations, keeping the records. A registration the system refuses on resume
  // loses its record.
  static void unregisterAll();
  static void registerAll();
  // Brings the registrations and the menu-key matching in line with isEnabled and isMenuOpen.
  static void updateEventHandler();

  static const std::map<uint32_t, HotKey>& hotKeys();
};

}  // namespace kit

namespace kit::GlobalShortcuts {

// The facility-wide switch: while false no combination is held or matched; records and handlers stay.
bool isEnabled();
void setEnabled(bool enabled);
// True while one of our own menus (a popup window of this application) is open.
bool isMenuOpen();
// What the menu observation reports; also usable by menus that are not Qt popups.
void setMenuOpen(bool open);

// The combinations held for the dispatch (registered, or suspended while a menu is open or the facility is off).
std::unordered_set<Shortcut> registeredShortcuts();

}  // namespace kit::GlobalShortcuts
