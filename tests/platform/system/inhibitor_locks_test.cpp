#include "platform/system/inhibitor_locks.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>

#include "platform/core/error.h"
#include "support/event_loop.h"
#include "support/fake_bus_object.h"
#include "support/private_bus.h"

namespace {

using platform::InhibitorLock;

// logind's manager object, answering ListInhibitors with its locks.
class FakeLogind : public QDBusVirtualObject {
 public:
  FakeLogind(QDBusConnection connection, QList<InhibitorLock> locks)
      : connection_(std::move(connection)), locks_(std::move(locks)) {}
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
    if (message.member() != "ListInhibitors") return false;
    connection_.send(message.createReply(QVariant::fromValue(locks_)));
    return true;
  }

 private:
  QDBusConnection connection_;
  QList<InhibitorLock> locks_;
};

class InhibitorLocksTest : public bustest::PrivateBusTest {
 protected:
  static void SetUpTestSuite() { eventloop::ensureCoreApplication(); }
  std::vector<InhibitorLock> list() {
    QDBusConnection client = bus.connect("client");
    return platform::listInhibitorLocks(client, 1000);
  }
};

TEST_F(InhibitorLocksTest, TheLocksComeAsLogindListsThemAndASilentBusIsAnError) {
  try {
    list();
    ADD_FAILURE() << "no logind on the bus";
  } catch (const platform::PlatformError& error) {
    EXPECT_NE(error.localizedDescription().find("org.freedesktop.DBus.Error.ServiceUnknown"), std::string::npos)
        << error.localizedDescription();
  }

  qDBusRegisterMetaType<InhibitorLock>();
  qDBusRegisterMetaType<QList<InhibitorLock>>();
  const QList<InhibitorLock> locks{{"sleep", "Firefox", "Playing video", "block", 1000, 4242},
                                   {"shutdown:sleep", "NetworkManager", "", "delay", 0, 17}};
  bustest::FakeBusObject<FakeLogind> logind(bus, "org.freedesktop.login1", "/org/freedesktop/login1", locks);
  EXPECT_EQ(list(), std::vector<InhibitorLock>(locks.begin(), locks.end()));
}

}  // namespace
