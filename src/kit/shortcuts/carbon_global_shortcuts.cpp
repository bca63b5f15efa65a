#include "kit/shortcuts/carbon_global_shortcuts.h"

#include <limits>
#include <vector>

#include "platform/system/hot_keys.h"

namespace kit {

namespace {

struct State {
  std::map<uint32_t, CarbonGlobalShortcuts::HotKey> hotKeys;
  uint32_t hotKeyIdCounter = 0;
  bool eventHandlerInstalled = false;
  bool isEnabled = true;
  bool isMenuOpen = false;
};

State& state() {
  static auto* s = new State();
  return *s;
}

void handleHotKeyEvent(const platform::HotKeyEvent& event) {
  // Switched off, nothing is matched: not even the release of a key held as the switch went off.
  if (!state().isEnabled) return;
  auto& hotKeys = state().hotKeys;
  auto it = hotKeys.find(event.id);
  if (it == hotKeys.end()) return;
  // Copies: a callback may change the table.
  const GlobalShortcuts::Shortcut shortcut = it->second.shortcut;
  const CarbonGlobalShortcuts::Callback callback = event.pressed ? it->second.onKeyDown : it->second.onKeyUp;
  if (callback) callback(shortcut);
}

void dropFailedRegistration(uint32_t id) {
  auto& hotKeys = state().hotKeys;
  auto it = hotKeys.find(id);
  if (it == hotKeys.end()) return;
  // Forgotten, so that adding a handler or saving the shortcut tries again.
  hotKeys.erase(it);
}

}  // namespace

bool CarbonGlobalShortcuts::registerShortcut(const GlobalShortcuts::Shortcut& shortcut, Callback onKeyDown,
                                             Callback onKeyUp) {
  State& s = state();
  if (s.hotKeyIdCounter == std::numeric_limits<uint32_t>::max()) return false;
  const uint32_t id = ++s.hotKeyIdCounter;
  auto& system = platform::HotKeys::shared();
  if (!system.registerHotKey(id, shortcut.carbonKeyCode, shortcut.carbonModifiers)) return false;
  s.hotKeys.emplace(id, HotKey{shortcut, id, true, std::move(onKeyDown), std::move(onKeyUp)});
  if (!s.eventHandlerInstalled) {
    system.setEventHandler(handleHotKeyEvent);
    s.eventHandlerInstalled = true;
    updateEventHandler();
  } else if (!s.isEnabled || s.isMenuOpen) {
    // Held only while enabled and no menu is open; the menu matching still finds the record.
    system.suspend(id);
    s.hotKeys.at(id).isRegistered = false;
  }
  return true;
}

void CarbonGlobalShortcuts::unregister(const GlobalShortcuts::Shortcut& shortcut) {
  auto& hotKeys = state().hotKeys;
  for (auto it = hotKeys.begin(); it != hotKeys.end();) {
    if (it->second.shortcut == shortcut) {
      platform::HotKeys::shared().unregister(it->first);
      it = hotKeys.erase(it);
    } else {
      ++it;
    }
  }
}

void CarbonGlobalShortcuts::unregisterAll() {
  for (auto& [id, hotKey] : state().hotKeys) {
    if (!hotKey.isRegistered) continue;
    platform::HotKeys::shared().suspend(id);
    hotKey.isRegistered = false;
  }
}

void CarbonGlobalShortcuts::registerAll() {
  std::vector<uint32_t> refused;
  for (auto& [id, hotKey] : state().hotKeys) {
    if (hotKey.isRegistered) continue;
    if (platform::HotKeys::shared().resume(id)) {
      hotKey.isRegistered = true;
    } else {
      refused.push_back(id);
    }
  }
  for (uint32_t id : refused) dropFailedRegistration(id);
}

void CarbonGlobalShortcuts::updateEventHandler() {
  State& s = state();
  if (!s.eventHandlerInstalled) return;
  auto& system = platform::HotKeys::shared();
  if (s.isEnabled && s.isMenuOpen) {
    unregisterAll();
    system.setMenuOpen(true);
  } else if (s.isEnabled) {
    registerAll();
    system.setMenuOpen(false);
  } else {
    unregisterAll();
    system.setMenuOpen(false);
  }
}

const std::map<uint32_t, CarbonGlobalShortcuts::HotKey>& CarbonGlobalShortcuts::hotKeys() { return state().hotKeys; }

}  // namespace kit

namespace kit::GlobalShortcuts {

bool isEnabled() { return state().isEnabled; }

void setEnabled(bool enabled) {
  if (state().isEnabled == enabled) return;
  state().isEnabled = enabled;
  CarbonGlobalShortcuts::updateEventHandler();
}

bool isMenuOpen() { return state().isMenuOpen; }

std::unordered_set<Shortcut> registeredShortcuts() {
  std::unordered_set<Shortcut> held;
  for (const auto& [id, hotKey] : state().hotKeys) held.insert(hotKey.shortcut);
  return held;
}

void setMenuOpen(bool open) {
  if (state().isMenuOpen == open) return;
  state().isMenuOpen = open;
  CarbonGlobalShortcuts::updateEventHandler();
}

}  // namespace kit::GlobalShortcuts
