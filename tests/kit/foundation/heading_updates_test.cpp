#include "kit/foundation/heading_updates.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <atomic>
#include <vector>

#include "platform/core/executor.h"
#include "platform/core/task.h"
#include "platform/system/compass.h"
#include "support/event_loop.h"
#include "support/fake_bus_object.h"
#include "support/private_bus.h"

namespace {

using platform::CompassError;

// The compass of a sensor service, on a private bus, served from a thread of its own.
class FakeSensorProxy {
 public:
  FakeSensorProxy(const bustest::PrivateBus& bus, bool hasCompass)
      : service_(bus, "net.hadess.SensorProxy", "/net/hadess/SensorProxy/Compass", hasCompass) {}
  // The service says a property changed, as it does for every new reading.
  void change(const QString& name, const QVariant& value) {
    QDBusMessage signal =
        QDBusMessage::createSignal(service_.path(), "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QString("net.hadess.SensorProxy.Compass") << QVariantMap{{name, value}} << QStringList();
    service_.connection().send(signal);
  }
  void leave() { service_.leave(); }
  int claims() const { return service_.object().claims; }
  int releases() const { return service_.object().releases; }

 private:
  class Compass : public QDBusVirtualObject {
   public:
    Compass(QDBusConnection connection, bool hasCompass)
        : connection_(std::move(connection)), hasCompass_(hasCompass) {}
    std::atomic<int> claims{0}, releases{0};

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
      if (message.interface() == "org.freedesktop.DBus.Properties" && message.member() == "Get") {
        QString name = message.arguments().value(1).toString();
        QVariant value = name == "HasCompass" ? QVariant(hasCompass_) : QVariant(-1.0);
        connection_.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
      } else if (message.member() == "ClaimCompass") {
        ++claims;
        connection_.send(message.createReply());
      } else if (message.member() == "ReleaseCompass") {
        ++releases;
        connection_.send(message.createReply());
      } else {
        return false;
      }
      return true;
    }

   private:
    QDBusConnection connection_;
    bool hasCompass_;
  };

  bustest::FakeBusObject<Compass> service_;
};

// Reads a heading stream to its end in a task of the main thread.
struct Reader {
  std::vector<double> headings;
  std::exception_ptr failure;
  bool ended = false;
  platform::Task<> task;

  explicit Reader(platform::AsyncThrowingStream<kit::Heading> stream)
      : task(platform::spawn(platform::mainExecutor(), [this, stream]() -> platform::Task<> {
          try {
            while (auto heading = co_await stream.next()) headings.push_back(heading->magneticHeading);
          } catch (...) {
            failure = std::current_exception();
          }
          ended = true;
        })) {}

  std::optional<CompassError::Code> failureCode() const {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const CompassError& error) {
      return error.kind();
    } catch (...) {
    }
    return std::nullopt;
  }
};

class HeadingUpdates : public bustest::PrivateBusTest {
 protected:
  static void SetUpTestSuite() { eventloop::ensureCoreApplication(); }
};

TEST_F(HeadingUpdates, YieldsEachHeadingInOrderThenEndsWithTheNoSensorError) {
  FakeSensorProxy sensors(bus, true);
  Reader reader(kit::headingUpdates(bus.connect("client")));
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return sensors.claims() == 1; }));
  for (double degrees : {10.0, 90.5, 359.0}) sensors.change("CompassHeading", degrees);
  sensors.change("HasCompass", false);
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return reader.ended; }));
  EXPECT_EQ(reader.headings, (std::vector<double>{10.0, 90.5, 359.0}));
  EXPECT_EQ(reader.failureCode(), CompassError::Code::noSensor);
}

TEST_F(HeadingUpdates, AComputerWithoutACompassOrWithoutTheServiceGetsAClearError) {
  {
    FakeSensorProxy sensors(bus, false);
    Reader reader(kit::headingUpdates(bus.connect("client")));
    ASSERT_TRUE(eventloop::processEventsUntil([&] { return reader.ended; }));
    EXPECT_EQ(reader.failureCode(), CompassError::Code::noSensor);
    EXPECT_EQ(sensors.claims(), 0);
    try {
      std::rethrow_exception(reader.failure);
    } catch (const CompassError& error) {
      EXPECT_EQ(error.localizedDescription(),
                "Compass headings are not available: this computer has no compass sensor.");
    }
  }
  Reader reader(kit::headingUpdates(bus.connect("client")));
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return reader.ended; }));
  EXPECT_EQ(reader.failureCode(), CompassError::Code::serviceUnavailable);
  EXPECT_TRUE(reader.headings.empty());
}

TEST_F(HeadingUpdates, EndingTheConsumerReleasesTheCompassAndAServiceThatLeavesEndsTheStream) {
  FakeSensorProxy sensors(bus, true);
  {
    Reader reader(kit::headingUpdates(bus.connect("client")));
    ASSERT_TRUE(eventloop::processEventsUntil([&] { return sensors.claims() == 1; }));
    reader.task.cancel();
    ASSERT_TRUE(eventloop::processEventsUntil([&] { return sensors.releases() == 1; }));
    EXPECT_TRUE(reader.ended);
  }
  Reader reader(kit::headingUpdates(bus.connect("client")));
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return sensors.claims() == 2; }));
  sensors.change("CompassHeading", 45.0);
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return !reader.headings.empty(); }));
  sensors.leave();
  ASSERT_TRUE(eventloop::processEventsUntil([&] { return reader.ended; }));
  EXPECT_EQ(reader.headings, std::vector<double>{45.0});
  EXPECT_EQ(reader.failureCode(), CompassError::Code::serviceStopped);
}

}  // namespace
