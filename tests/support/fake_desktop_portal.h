#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <atomic>

#include "support/fake_bus_object.h"
#include "support/private_bus.h"

namespace bustest {

// The settings of a desktop portal with one colour scheme, served on a private bus from a thread of its own.
class FakeDesktopPortal {
 public:
  // 0 no preference, 1 dark, 2 light. An older portal knows only Read and wraps the value twice.
  FakeDesktopPortal(const PrivateBus& bus, uint scheme, bool olderPortal = false)
      : service_(bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", scheme, olderPortal) {}

  // Changes the scheme and says so, as the portal does when the user picks another one.
  void announce(uint scheme) {
    service_.object().scheme = scheme;
    QDBusMessage signal =
        QDBusMessage::createSignal(service_.path(), "org.freedesktop.portal.Settings", "SettingChanged");
    signal << QString("org.freedesktop.appearance") << QString("color-scheme")
           << QVariant::fromValue(QDBusVariant(QVariant::fromValue(scheme)));
    service_.connection().send(signal);
  }

 private:
  class Settings : public QDBusVirtualObject {
   public:
    Settings(QDBusConnection connection, uint scheme, bool olderPortal)
        : scheme(scheme), connection_(std::move(connection)), olderPortal_(olderPortal) {}
    std::atomic<uint> scheme;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
      if (message.interface() != "org.freedesktop.portal.Settings") return false;
      bool readOne = message.member() == "ReadOne";
      if ((!readOne && message.member() != "Read") || (readOne && olderPortal_)) {
        connection_.send(message.createErrorReply("org.freedesktop.DBus.Error.UnknownMethod", "No such method"));
        return true;
      }
      const auto arguments = message.arguments();
      if (arguments.size() != 2 || arguments[0].toString() != "org.freedesktop.appearance" ||
          arguments[1].toString() != "color-scheme") {
        connection_.send(message.createErrorReply("org.freedesktop.portal.Error.NotFound", "No such setting"));
        return true;
      }
      QVariant value = QVariant::fromValue(scheme.load());
      if (olderPortal_) value = QVariant::fromValue(QDBusVariant(value));
      connection_.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
      return true;
    }

   private:
    QDBusConnection connection_;
    bool olderPortal_;
  };

  FakeBusObject<Settings> service_;
};

}  // namespace bustest
