#include "platform/system/compass.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace platform {

namespace {

const QString service = QStringLiteral("net.hadess.SensorProxy");
const QString compassPath = QStringLiteral("/net/hadess/SensorProxy/Compass");
const QString compassInterface = QStringLiteral("net.hadess.SensorProxy.Compass");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int callTimeoutMilliseconds = 2000;

QDBusMessage call(QDBusConnection& bus, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments = {}) {
  QDBusMessage message = QDBusMessage::createMethodCall(service, compassPath, interface, method);
  message.setArguments(arguments);
  return bus.call(message, QDBus::Block, callTimeoutMilliseconds);
}

}  // namespace

std::optional<std::string> CompassError::errorDescription() const {
  std::string text;
  switch (code_) {
    case Code::serviceUnavailable:
      text = "Compass headings are not available: the sensor service (net.hadess.SensorProxy) is not running.";
      break;
    case Code::noSensor:
      text = "Compass headings are not available: this computer has no compass sensor.";
      break;
    case Code::serviceStopped:
      text = "Compass headings stopped: the sensor service (net.hadess.SensorProxy) went away.";
      break;
    case Code::claimFailed:
      text = "The compass could not be used.";
      break;
  }
  if (!detail_.empty()) text += " " + detail_;
  return text;
}

std::string CompassError::typeOrCaseName() const {
  switch (code_) {
    case Code::serviceUnavailable:
      return "serviceUnavailable";
    case Code::noSensor:
      return "noSensor";
    case Code::serviceStopped:
      return "serviceStopped";
    case Code::claimFailed:
      return "claimFailed";
  }
  return "CompassError";
}

SensorProxyCompass::SensorProxyCompass(QDBusConnection bus) : bus_(std::move(bus)) {}

SensorProxyCompass::~SensorProxyCompass() { stop(); }

void SensorProxyCompass::start(std::function<void(double)> onHeading,
                               std::function<void(std::exception_ptr)> onFailure) {
  stop();
  onHeading_ = std::move(onHeading);
  onFailure_ = std::move(onFailure);
  if (!bus_.isConnected() || bus_.interface() == nullptr || !bus_.interface()->isServiceRegistered(service)) {
    fail(CompassError(CompassError::Code::serviceUnavailable));
    return;
  }
  QDBusMessage hasCompass = call(bus_, propertiesInterface, "Get", {compassInterface, QStringLiteral("HasCompass")});
  if (hasCompass.type() != QDBusMessage::ReplyMessage) {
    fail(CompassError(CompassError::Code::serviceUnavailable, hasCompass.errorMessage().toStdString()));
    return;
  }
  if (!hasCompass.arguments().value(0).value<QDBusVariant>().variant().toBool()) {
    fail(CompassError(CompassError::Code::noSensor));
    return;
  }
  // Watch before claiming, so that no heading and no departure of the service falls in between.
  bus_.connect(service, compassPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
               SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
  watcher_ = std::make_unique<QDBusServiceWatcher>(service, bus_, QDBusServiceWatcher::WatchForUnregistration);
  connect(watcher_.get(), &QDBusServiceWatcher::serviceUnregistered, this, &SensorProxyCompass::serviceGone);
  QDBusMessage claim = call(bus_, compassInterface, "ClaimCompass");
  if (claim.type() != QDBusMessage::ReplyMessage) {
    fail(CompassError(CompassError::Code::claimFailed, claim.errorMessage().toStdString()));
    return;
  }
  claimed_ = true;
}

void SensorProxyCompass::stop() {
  bus_.disconnect(service, compassPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                  SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
  watcher_.reset();
  if (std::exchange(claimed_, false)) {
    // Nobody waits for the answer: the service releases the compass of a client that leaves anyway.
    QDBusMessage release = QDBusMessage::createMethodCall(service, compassPath, compassInterface, "ReleaseCompass");
    bus_.send(release);
  }
  onHeading_ = nullptr;
  onFailure_ = nullptr;
}

void SensorProxyCompass::propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
  if (interface != compassInterface || !onHeading_) return;
  if (auto has = changed.find(QStringLiteral("HasCompass")); has != changed.end() && !has->toBool()) {
    fail(CompassError(CompassError::Code::noSensor));
    return;
  }
  if (auto heading = changed.find(QStringLiteral("CompassHeading")); heading != changed.end()) {
    bool isNumber = false;
    double degrees = heading->toDouble(&isNumber);
    if (isNumber) onHeading_(degrees);
  }
}

void SensorProxyCompass::serviceGone() {
  claimed_ = false;  // a service that went away has no compass of ours to release
  fail(CompassError(CompassError::Code::serviceStopped));
}

void SensorProxyCompass::fail(CompassError error) {
  auto onFailure = std::move(onFailure_);
  stop();
  if (onFailure) onFailure(std::make_exception_ptr(std::move(error)));
}

}  // namespace platform
