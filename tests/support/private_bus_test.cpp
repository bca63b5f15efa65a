#include "support/private_bus.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDBusReply>

#include "support/event_loop.h"

namespace {

// Qt hands out a named connection again as long as it is open: one left open by a test would still lead to that
// test's stopped daemon in the next.
TEST(PrivateBus, ANameConnectedToAnEarlierBusReachesTheNextOne) {
  eventloop::ensureCoreApplication();
  {
    bustest::PrivateBus earlier;
    ASSERT_TRUE(earlier.connect("client").isConnected());
  }
  bustest::PrivateBus bus;
  QDBusConnection client = bus.connect("client");
  QDBusConnection service = bus.connect("service");
  ASSERT_TRUE(service.registerService("org.example.Service"));
  const QDBusReply<bool> registered = client.interface()->isServiceRegistered("org.example.Service");
  ASSERT_TRUE(registered.isValid()) << registered.error().message().toStdString();
  EXPECT_TRUE(registered.value());
}

}  // namespace
