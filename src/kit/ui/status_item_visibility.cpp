#include "kit/ui/status_item_visibility.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QSystemTrayIcon>
#include <algorithm>

namespace kit {

namespace {
constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* watcherPath = "/StatusNotifierWatcher";
}  // namespace

std::optional<StatusNotifierWatcherState> statusNotifierWatcherState() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return std::nullopt;
  if (!bus.interface()->isServiceRegistered(watcherService).value()) return std::nullopt;
  QDBusInterface watcher(watcherService, watcherPath, watcherService, bus);
  StatusNotifierWatcherState state;
  state.isHostRegistered = watcher.property("IsStatusNotifierHostRegistered").toBool();
  for (const QString& item : watcher.property("RegisteredStatusNotifierItems").toStringList()) {
    state.registeredItems.push_back(item.toStdString());
  }
  return state;
}

bool isHiddenFromMenuBar(bool itemIsVisible, bool trayIsAvailable,
                         const std::optional<StatusNotifierWatcherState>& watcher, const std::string& ourBusName,
                         bool hasGeometry) {
  if (!itemIsVisible) return false;
  if (!trayIsAvailable) return true;
  if (watcher) {
    // Watchers list an item as its bus name, or as the bus name followed by the object path.
    const bool listed = std::any_of(
        watcher->registeredItems.begin(), watcher->registeredItems.end(),
        [&](const std::string& entry) { return entry == ourBusName || entry.starts_with(ourBusName + "/"); });
    return !watcher->isHostRegistered || !listed;
  }
  return !hasGeometry;
}

bool isHiddenFromMenuBar(const QSystemTrayIcon& item) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const std::string ourBusName = bus.baseService().toStdString();
  auto watcher = statusNotifierWatcherState();
  if (watcher && bus.interface()) {
    // The tray registers its item from a bus connection of its own, often under a well-known name: whatever
    // this process owns is ours.
    for (std::string& entry : watcher->registeredItems) {
      const QString service = QString::fromStdString(entry.substr(0, entry.find('/')));
      const QDBusReply<uint> pid = bus.interface()->servicePid(service);
      if (pid.isValid() && pid.value() == static_cast<uint>(QCoreApplication::applicationPid())) entry = ourBusName;
    }
  }
  return isHiddenFromMenuBar(item.isVisible(), QSystemTrayIcon::isSystemTrayAvailable(), watcher, ourBusName,
                             !item.geometry().isEmpty());
}

}  // namespace kit
