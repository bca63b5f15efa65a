#include "platform/system/color_scheme.h"

#include <QDBusMessage>

#include "platform/system/desktop_settings.h"

namespace platform {

namespace {

const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
constexpr int callTimeoutMilliseconds = 1000;

// The scheme in a setting's value.
std::optional<ColorScheme> schemeOf(const QVariant& value) {
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

}  // namespace

DesktopColorScheme::DesktopColorScheme(QDBusConnection bus) : bus_(std::move(bus)) {
  if (!bus_.isConnected()) return;
  bus_.connect(desktopPortalService, desktopPortalPath, desktopSettingsInterface, QStringLiteral("SettingChanged"),
               this, SLOT(settingChanged(QDBusMessage)));
  if (auto value = readDesktopSetting(bus_, appearanceGroup, colorSchemeKey, callTimeoutMilliseconds))
    current_ = schemeOf(*value);
}

DesktopColorScheme& DesktopColorScheme::shared() {
  static auto* scheme = new DesktopColorScheme(QDBusConnection::sessionBus());  // lives for the process
  return *scheme;
}

void DesktopColorScheme::settingChanged(const QDBusMessage& message) {
  const QList<QVariant> arguments = message.arguments();
  if (arguments.size() != 3 || arguments[0].toString() != appearanceGroup || arguments[1].toString() != colorSchemeKey)
    return;
  auto scheme = schemeOf(unwrappedSettingValue(arguments[2]));
  if (!scheme) return;
  current_ = scheme;
  changes_.send(*scheme);
}

}  // namespace platform
