#include "platform/system/launcher_entry.h"

#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariantMap>
#include <algorithm>
#include <cctype>
#include <cmath>

namespace platform {

namespace {

// Any path will do, as the docks listen to the interface; one named after the entry keeps senders apart.
QString objectPath(const std::string& desktopId) {
  QString path = QStringLiteral("/com/canonical/unity/launcherentry/");
  for (char c : desktopId) path += std::isalnum(static_cast<unsigned char>(c)) ? QChar(c) : QChar('_');
  return path;
}

}  // namespace

LauncherEntry::LauncherEntry(QDBusConnection bus, std::string desktopId)
    : bus_(std::move(bus)), desktopId_(std::move(desktopId)) {}

LauncherEntry::LauncherEntry(QDBusConnection bus) : bus_(std::move(bus)) {}

LauncherEntry& LauncherEntry::shared() {
  static LauncherEntry entry(QDBusConnection::sessionBus());
  return entry;
}

std::string LauncherEntry::desktopId() const {
  return desktopId_ ? *desktopId_ : QGuiApplication::desktopFileName().toStdString();
}

std::optional<std::string> LauncherEntry::applicationUri() const {
  const std::string id = desktopId();
  if (id.empty()) return std::nullopt;
  return "application://" + id + ".desktop";
}

bool LauncherEntry::setProgress(std::optional<double> fraction) {
  // Without a name no dock can tell whose progress it is, and the object path would end in "/".
  const std::string id = desktopId();
  if (id.empty() || !bus_.isConnected()) return false;
  QDBusMessage signal = QDBusMessage::createSignal(objectPath(id), "com.canonical.Unity.LauncherEntry", "Update");
  QVariantMap properties;
  const double shown = fraction && std::isfinite(*fraction) ? std::clamp(*fraction, 0.0, 1.0) : 0.0;
  properties.insert("progress", shown);
  properties.insert("progress-visible", fraction.has_value());
  signal << QString::fromStdString(*applicationUri()) << properties;
  return bus_.send(signal);
}

}  // namespace platform
