#include "platform/system/screen_lock.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>

#include "platform/system/screen_lock_watcher.h"

namespace platform {

namespace {

constexpr int callTimeoutMs = 500;

QString logindSessionPath() {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return {};
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                     "org.freedesktop.login1.Manager", "GetSessionByPID");
  call << static_cast<uint>(getpid());
  QDBusMessage reply = bus.call(call, QDBus::Block, callTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
  return reply.arguments().first().value<QDBusObjectPath>().path();
}

std::optional<bool> screenSaverActive(const QString& service, const QString& path, const QString& interface) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return std::nullopt;
  QDBusMessage reply =
      bus.call(QDBusMessage::createMethodCall(service, path, interface, "GetActive"), QDBus::Block, callTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
  return reply.arguments().first().toBool();
}

}  // namespace

ScreenLockWatcher& ScreenLockWatcher::shared() {
  static auto* watcher = new ScreenLockWatcher;
  return *watcher;
}

ScreenLockWatcher::ScreenLockWatcher() {
  sessionPath = logindSessionPath();
  if (!sessionPath.isEmpty()) {
    QDBusConnection::systemBus().connect("org.freedesktop.login1", sessionPath, "org.freedesktop.DBus.Properties",
                                         "PropertiesChanged", this, SLOT(propertiesChanged(QDBusMessage)));
  }
  QDBusConnection session = QDBusConnection::sessionBus();
  session.connect(QString(), "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", this,
                  SLOT(activeChanged(bool)));
  session.connect(QString(), "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", this,
                  SLOT(activeChanged(bool)));
  lastLocked_ = ScreenLock::isLocked();
}

void ScreenLockWatcher::activeChanged(bool active) { send(active); }

void ScreenLockWatcher::propertiesChanged(const QDBusMessage& message) {
  const auto arguments = message.arguments();
  if (arguments.size() < 2 || arguments[0].toString() != "org.freedesktop.login1.Session") return;
  const QVariantMap changed = qdbus_cast<QVariantMap>(arguments[1]);
  if (auto it = changed.find("LockedHint"); it != changed.end()) send(it->toBool());
}

void ScreenLockWatcher::send(bool locked) {
  // Several sources may report one lock; each lock and unlock counts once.
  if (locked == lastLocked_) return;
  lastLocked_ = locked;
  changes.send(locked);
}

bool ScreenLock::isLocked() {
  QString path = logindSessionPath();
  if (!path.isEmpty()) {
    QDBusInterface properties("org.freedesktop.login1", path, "org.freedesktop.DBus.Properties",
                              QDBusConnection::systemBus());
    properties.setTimeout(callTimeoutMs);
    QDBusReply<QDBusVariant> reply = properties.call("Get", "org.freedesktop.login1.Session", "LockedHint");
    if (reply.isValid()) return reply.value().variant().toBool();
  }
  if (auto active = screenSaverActive("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                      "org.freedesktop.ScreenSaver")) {
    return *active;
  }
  if (auto active = screenSaverActive("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver")) {
    return *active;
  }
  return false;
}

rx::Publisher<bool> ScreenLock::changes() {
  return rx::Publisher<bool>([](rx::Publisher<bool>::Subscriber subscriber) {
    return ScreenLockWatcher::shared().changes.publisher().subscribe(std::move(subscriber));
  });
}

}  // namespace platform
