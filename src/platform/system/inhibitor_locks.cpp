#include "platform/system/inhibitor_locks.h"

#include <QDBusMessage>
#include <QDBusMetaType>

#include "platform/core/error.h"

namespace platform {

QDBusArgument& operator<<(QDBusArgument& argument, const InhibitorLock& lock) {
  argument.beginStructure();
  argument << QString::fromStdString(lock.what) << QString::fromStdString(lock.who) << QString::fromStdString(lock.why)
           << QString::fromStdString(lock.mode) << lock.uid << lock.pid;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, InhibitorLock& lock) {
  QString what, who, why, mode;
  argument.beginStructure();
  argument >> what >> who >> why >> mode >> lock.uid >> lock.pid;
  argument.endStructure();
  lock.what = what.toStdString();
  lock.who = who.toStdString();
  lock.why = why.toStdString();
  lock.mode = mode.toStdString();
  return argument;
}

std::vector<InhibitorLock> listInhibitorLocks(QDBusConnection& bus, int timeoutMilliseconds) {
  qDBusRegisterMetaType<InhibitorLock>();
  qDBusRegisterMetaType<QList<InhibitorLock>>();
  const QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                           "org.freedesktop.login1.Manager", "ListInhibitors");
  const QDBusMessage reply = bus.isConnected() ? bus.call(call, QDBus::Block, timeoutMilliseconds) : QDBusMessage();
  if (reply.type() != QDBusMessage::ReplyMessage) {
    const std::string name =
        reply.errorName().isEmpty() ? "org.freedesktop.DBus.Error.NoServer" : reply.errorName().toStdString();
    const std::string message =
        reply.errorMessage().isEmpty() ? "The system bus is not reachable" : reply.errorMessage().toStdString();
    throw PlatformError("org.freedesktop.DBus", 1, {{"NSLocalizedDescription", name + ": " + message}});
  }
  if (reply.arguments().size() != 1 || reply.signature() != "a(ssssuu)") return {};
  const auto locks = qdbus_cast<QList<InhibitorLock>>(reply.arguments().constFirst());
  return {locks.begin(), locks.end()};
}

}  // namespace platform
