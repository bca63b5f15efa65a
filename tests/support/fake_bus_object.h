#pragma once

#include <QDBusConnection>
#include <QString>
#include <utility>

#include "support/private_bus.h"

namespace bustest {

// A service played by the test: a virtual object (a QDBusVirtualObject made with the service's connection first,
// then `arguments`) served under a well-known name on a private bus, from a thread of its own, as a service in
// another process would answer. leave() takes it off the bus, as a service that quits; the object lives on until
// the end.
template <class Object>
class FakeBusObject {
 public:
  template <class... Arguments>
  FakeBusObject(const PrivateBus& bus, QString serviceName, QString path, Arguments&&... arguments)
      : connectionName_("fake-" + serviceName),
        serviceName_(std::move(serviceName)),
        path_(std::move(path)),
        connection_(bus.connect(connectionName_)),
        object_(new Object(connection_, std::forward<Arguments>(arguments)...)) {
    thread_.adopt(object_);
    connection_.registerVirtualObject(path_, object_);
    connection_.registerService(serviceName_);
  }
  ~FakeBusObject() {
    leave();
    thread_.run([object = object_] { delete object; });
  }
  FakeBusObject(const FakeBusObject&) = delete;
  FakeBusObject& operator=(const FakeBusObject&) = delete;

  void leave() {
    if (!connection_.isConnected()) return;
    connection_.unregisterObject(path_);
    connection_.unregisterService(serviceName_);
    QDBusConnection::disconnectFromBus(connectionName_);
  }

  // Lives on the service thread: what it records is read once the calls that record it have been answered.
  Object& object() const { return *object_; }
  QDBusConnection& connection() { return connection_; }
  const QString& path() const { return path_; }

 private:
  QString connectionName_;
  QString serviceName_;
  QString path_;
  QDBusConnection connection_;
  ServiceThread thread_;
  Object* object_;
};

}  // namespace bustest
