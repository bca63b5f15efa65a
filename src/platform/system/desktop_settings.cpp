#include "platform/system/desktop_settings.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace platform {

QVariant unwrappedSettingValue(QVariant value) {
  for (int depth = 0; depth < 3 && value.userType() == qMetaTypeId<QDBusVariant>(); ++depth)
    value = value.value<QDBusVariant>().variant();
  return value;
}

std::optional<QVariant> readDesktopSetting(QDBusConnection& bus, const QString& group, const QString& key,
                                           int timeoutMilliseconds) {
  if (!bus.isConnected()) return std::nullopt;
  for (const char* method : {"ReadOne", "Read"}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(desktopPortalService, desktopPortalPath, desktopSettingsInterface, method);
    call << group << key;
    QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMilliseconds);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
      return unwrappedSettingValue(reply.arguments().constFirst());
    // A portal without ReadOne answers that the method is unknown; anything else means no answer.
    if (reply.errorName() != QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace platform
