#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QMetaType>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A lock that logind holds for a process, keeping the machine from sleeping, idling or shutting down: what it blocks
// ("sleep", "idle", "shutdown", several joined by ":"), who took it (a program's name), why, its mode ("block" or
// "delay"), and the user and process that hold it.
struct InhibitorLock {
  std::string what, who, why, mode;
  uint32_t uid = 0;
  uint32_t pid = 0;
  bool operator==(const InhibitorLock&) const = default;
};

// Every inhibitor lock logind knows of (org.freedesktop.login1.Manager.ListInhibitors on `bus`, the system bus).
// Throws PlatformError (domain "org.freedesktop.DBus", described by the bus error's name and message) when there is
// no answer within the time or the answer is an error; an answer of another shape gives no locks.
std::vector<InhibitorLock> listInhibitorLocks(QDBusConnection& bus, int timeoutMilliseconds);

// The locks as they travel on the bus: a(ssssuu).
QDBusArgument& operator<<(QDBusArgument& argument, const InhibitorLock& lock);
const QDBusArgument& operator>>(const QDBusArgument& argument, InhibitorLock& lock);

}  // namespace platform

Q_DECLARE_METATYPE(platform::InhibitorLock)
