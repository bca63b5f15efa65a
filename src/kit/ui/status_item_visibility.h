#pragma once

#include <optional>
#include <string>
#include <vector>

class QSystemTrayIcon;

namespace kit {

// What the desktop tells about the status-notifier side of the tray (the D-Bus tray). None when no
// status-notifier watcher runs on the session bus.
struct StatusNotifierWatcherState {
  bool isHostRegistered = false;
  std::vector<std::string> registeredItems;
};
std::optional<StatusNotifierWatcherState> statusNotifierWatcherState();

// True when the program shows the item but the desktop does not: no tray at all, a status-notifier watcher
// without a host or without our item, or an embedding tray that gave the icon no place. An icon pushed off
// a full panel cannot be told apart from a shown one. False while the item itself is hidden.
bool isHiddenFromMenuBar(const QSystemTrayIcon& item);

// The rule above on explicit facts, so that each desktop can be checked.
bool isHiddenFromMenuBar(bool itemIsVisible, bool trayIsAvailable,
                         const std::optional<StatusNotifierWatcherState>& watcher, const std::string& ourBusName,
                         bool hasGeometry);

}  // namespace kit
