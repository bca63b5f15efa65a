#include "platform/system/file_previewer.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

namespace platform {

namespace {

const QString service = QStringLiteral("org.gnome.NautilusPreviewer");
const QString path = QStringLiteral("/org/gnome/NautilusPreviewer");
const QString interface = QStringLiteral("org.gnome.NautilusPreviewer2");
constexpr int callTimeoutMs = 5000;  // a previewer that is started by the bus takes a moment

std::optional<std::string> errorOf(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ErrorMessage) return std::nullopt;
  return (reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage()).toStdString();
}

}  // namespace

FilePreviewer::FilePreviewer(QDBusConnection bus) : bus_(std::move(bus)) {}

FilePreviewer& FilePreviewer::shared() {
  static FilePreviewer previewer(QDBusConnection::sessionBus());
  return previewer;
}

bool FilePreviewer::isAvailable() const {
  if (!bus_.isConnected()) return false;
  QDBusConnectionInterface* daemon = bus_.interface();
  if (daemon == nullptr) return false;
  if (daemon->isServiceRegistered(service)) return true;
  const QDBusReply<QStringList> activatable = daemon->call(QStringLiteral("ListActivatableNames"));
  return activatable.isValid() && activatable.value().contains(service);
}

bool FilePreviewer::isVisible() const {
  if (!bus_.isConnected() || !bus_.interface()->isServiceRegistered(service)) return false;
  QDBusMessage get =
      QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Properties"), "Get");
  get << interface << QStringLiteral("Visible");
  const QDBusMessage reply = bus_.call(get, QDBus::Block, callTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

std::optional<std::string> FilePreviewer::show(const std::string& fileUri, uint32_t parent) {
  QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("ShowFile"));
  const QString handle = parent == 0 ? QString() : QStringLiteral("x11:%1").arg(parent, 0, 16);
  call << QString::fromStdString(fileUri) << handle << false;
  return errorOf(bus_.call(call, QDBus::Block, callTimeoutMs));
}

std::optional<std::string> FilePreviewer::close() {
  return errorOf(bus_.call(QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Close")),
                           QDBus::Block, callTimeoutMs));
}

}  // namespace platform
