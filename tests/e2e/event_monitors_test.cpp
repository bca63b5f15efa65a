#include "kit/foundation/event_monitors.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>

#include "kit/foundation/system_event_publishers.h"
#include "platform/core/executor.h"
#include "platform/core/task.h"
#include "platform/system/modifier_flags.h"
#include "x11_session_support.h"

namespace {

using namespace std::chrono_literals;
namespace Flag = platform::ModifierFlag;

class KitMonitorsOnX11 : public x11test::SessionTest {
 protected:
  static void press(const char* action, const char* key) {
    x11test::run({"xdotool", action, key});
    x11test::processEventsFor(150ms);
  }
};

TEST_F(KitMonitorsOnX11, StartingAGlobalMonitorTwiceLeavesOneAndReleaseRemovesIt) {
  std::vector<uint64_t> flags;
  {
    kit::GlobalEventMonitor monitor(platform::eventMask(platform::EventType::flagsChanged),
                                    [&](const platform::Event& e) { flags.push_back(e.modifierFlags); });
    monitor.start();
    monitor.start();
    press("keydown", "shift");
    press("keyup", "shift");
    EXPECT_EQ(flags, (std::vector<uint64_t>{Flag::shift, 0}));
  }
  press("keydown", "alt");
  press("keyup", "alt");
  EXPECT_EQ(flags.size(), 2u);
}

TEST_F(KitMonitorsOnX11, GlobalEventStreamYieldsModifierChangesToItsConsumer) {
  std::vector<uint64_t> flags;
  auto task = platform::spawn(platform::mainExecutor(), [&]() -> platform::Task<> {
    auto stream = kit::globalEventStream(platform::eventMask(platform::EventType::flagsChanged));
    while (auto event = co_await stream.next()) flags.push_back(event->modifierFlags);
  });
  x11test::processEventsFor(100ms);
  press("keydown", "ctrl");
  press("keyup", "ctrl");
  EXPECT_EQ(flags, (std::vector<uint64_t>{Flag::command, 0}));
  task.cancel();
  x11test::processEventsFor(100ms);
  press("keydown", "ctrl");
  press("keyup", "ctrl");
  EXPECT_EQ(flags.size(), 2u);
}

TEST_F(KitMonitorsOnX11, ScreenSaverSignalsOfTheSessionBusReachTheLockPublisher) {
  std::vector<bool> states;
  auto sink = kit::screenLockPublisher().sink([&](const bool& locked) { states.push_back(locked); });
  QDBusConnection saver = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-screen-saver");
  ASSERT_TRUE(saver.isConnected());
  auto send = [&](bool active) {
    QDBusMessage signal =
        QDBusMessage::createSignal("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged");
    signal << active;
    saver.send(signal);
  };
  send(true);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return states.size() >= 1; }));
  send(false);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return states.size() >= 2; }));
  EXPECT_EQ(states, (std::vector<bool>{true, false}));
  QDBusConnection::disconnectFromBus("fake-screen-saver");
}

}  // namespace
