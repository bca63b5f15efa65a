#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <exception>
#include <functional>
#include <memory>

#include "platform/core/error.h"

class QDBusServiceWatcher;

namespace platform {

// Why compass headings cannot be had.
class CompassError final : public Error {
 public:
  enum class Code { serviceUnavailable = 1, noSensor = 2, serviceStopped = 3, claimFailed = 4 };
  CompassError(Code code, std::string detail = {}) : code_(code), detail_(std::move(detail)) {}

  std::string domain() const override { return "CompassError"; }
  int64_t code() const override { return static_cast<int64_t>(code_); }
  std::optional<std::string> errorDescription() const override;
  std::string typeOrCaseName() const override;
  Code kind() const { return code_; }

 private:
  Code code_;
  std::string detail_;
};

// The compass of the sensor proxy (the service "net.hadess.SensorProxy" that reads the machine's sensors): claims
// the compass, reports every new heading (degrees from magnetic north) and releases the compass when stopped. A
// missing service, a machine without a compass, a refused claim and a service that goes away are failures, each
// reported once; after a failure nothing more is reported. Main thread only.
class SensorProxyCompass : public QObject {
  Q_OBJECT

 public:
  // The sensor proxy runs on the system bus; tests give a bus of their own.
  explicit SensorProxyCompass(QDBusConnection bus = QDBusConnection::systemBus());
  ~SensorProxyCompass() override;

  void start(std::function<void(double degrees)> onHeading, std::function<void(std::exception_ptr)> onFailure);
  void stop();

 private:
  Q_SLOT void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
  Q_SLOT void serviceGone();
  void fail(CompassError error);

  QDBusConnection bus_;
  std::unique_ptr<QDBusServiceWatcher> watcher_;
  std::function<void(double)> onHeading_;
  std::function<void(std::exception_ptr)> onFailure_;
  bool claimed_ = false;
};

}  // namespace platform
