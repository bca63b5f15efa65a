#include "platform/system/color_scheme.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace platform {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
constexpr int callTimeoutMilliseconds = 1000;

// The scheme in a setting's value; older portals wrap the value in a second variant.
std::optional<ColorScheme> schemeOf(QVariant value) {
  for (int depth = 0; depth < 3 && value.userType() == qMetaTypeId<QDBusVariant>(); ++depth)
    value = value.value<QDBusVariant>().variant();
  if (value.userType() != QMetaType::UInt && value.userType() != QMetaType::Int) return std::nullopt;
  switch (value.toUInt()) {
    case 1:
      return ColorScheme::dark;
    case 2:
      return ColorScheme::light;
    default:
      return ColorScheme::noPreference;
  }
}

std::optional<ColorScheme> readScheme(QDBusConnection& bus) {
  if (!bus.isConnected()) return std::nullopt;
  for (const char* method : {"ReadOne", "Read"}) {
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
    call << appearanceGroup << colorSchemeKey;
    QDBusMessage reply = bus.call(call, QDBus::Block, callTimeoutMilliseconds);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
      return schemeOf(reply.arguments().constFirst());
    // A portal without ReadOne answers that the method is unknown; anything else means no portal.
    if (reply.errorName() != QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

DesktopColorScheme::DesktopColorScheme(QDBusConnection bus) : bus_(std::move(bus)) {
  if (!bus_.isConnected()) return;
  bus_.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
               SLOT(settingChanged(QDBusMessage)));
  current_ = readScheme(bus_);
}

DesktopColorScheme& DesktopColorScheme::shared() {
  static auto* scheme = new DesktopColorScheme(QDBusConnection::sessionBus());  // lives for the process
  return *scheme;
}

void DesktopColorScheme::settingChanged(const QDBusMessage& message) {
  const QList<QVariant> arguments = message.arguments();
  if (arguments.size() != 3 || arguments[0].toString() != appearanceGroup || arguments[1].toString() != colorSchemeKey)
    return;
  auto scheme = schemeOf(arguments[2]);
  if (!scheme) return;
  current_ = scheme;
  changes_.send(*scheme);
}

}  // namespace platform
