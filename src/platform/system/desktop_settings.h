#pragma once

#include <QDBusConnection>
#include <QVariant>
#include <optional>

namespace platform {

// One value of the desktop's settings (`group`, `key`) as the desktop portal on `bus` states it, unwrapped from the
// variants older portals add; none when no portal answers within the time or it knows no such setting.
std::optional<QVariant> readDesktopSetting(QDBusConnection& bus, const QString& group, const QString& key,
                                           int timeoutMilliseconds);

// The portal's object and its settings interface, for following its SettingChanged signal.
inline const QString desktopPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString desktopPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
inline const QString desktopSettingsInterface = QStringLiteral("org.freedesktop.portal.Settings");

// A setting's value as it travels in replies and signals, without the variants around it.
QVariant unwrappedSettingValue(QVariant value);

}  // namespace platform
