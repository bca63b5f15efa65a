#include "kit/foundation/event_monitors.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWindow>

#include "kit/foundation/report_error.h"
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

TEST_F(KitMonitorsOnX11, GlobalMonitorsSeeKeysAndTheMouseOfTheWholeSession) {
  using namespace platform::EventType;
  std::vector<platform::Event> events;
  kit::GlobalEventMonitor monitor(platform::eventMask(keyDown) | platform::eventMask(keyUp) |
                                      platform::eventMask(leftMouseDown) | platform::eventMask(leftMouseUp),
                                  [&](const platform::Event& e) { events.push_back(e); });
  monitor.start();
  ASSERT_TRUE(monitor.isRunning());
  press("key", "shift+a");  // a modifier key is a change of flags, no key of its own
  x11test::run({"xdotool", "mousemove", "300", "200", "click", "1"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return events.size() >= 4; }));
  x11test::processEventsFor(150ms);
  std::vector<uint8_t> types;
  for (const auto& e : events) types.push_back(e.type);
  EXPECT_EQ(types, (std::vector<uint8_t>{keyDown, keyUp, leftMouseDown, leftMouseUp}));
  EXPECT_EQ(events[0].keyCode, 0) << "the virtual code of the A key";
  EXPECT_EQ(events[0].charactersIgnoringModifiers, "a");
  EXPECT_EQ(events[2].location.x, 300);
  EXPECT_EQ(events[2].location.y, 200);

  kit::GlobalEventMonitor moves(platform::eventMask(mouseMoved),
                                [&](const platform::Event& e) { events.push_back(e); });
  moves.start();
  events.clear();
  x11test::run({"xdotool", "mousemove_relative", "--", "10", "10"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return !events.empty() && events.back().location.x == 310; }));
  EXPECT_EQ(events.back().type, mouseMoved);
  EXPECT_EQ(events.back().location.y, 210);
  moves.stop();

  monitor.stop();
  events.clear();
  press("key", "b");
  EXPECT_TRUE(events.empty());
}

TEST_F(KitMonitorsOnX11, AGlobalMonitorForEventsTheSessionCannotGiveStartsNothingAndSaysSo) {
  std::vector<std::string> reported;
  kit::ZvApp::setErrorReportFilter([&](const platform::Error& error) {
    reported.push_back(error.localizedDescription());
    return false;
  });
  kit::GlobalEventMonitor monitor(platform::eventMask(platform::EventType::mouseEntered),
                                  [](const platform::Event&) {});
  monitor.start();
  EXPECT_FALSE(monitor.isRunning());
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].find("cannot be watched"), std::string::npos) << reported[0];
  kit::ZvApp::setErrorReportFilter([](const platform::Error&) { return true; });
}

// A focused window of this application, recording the keys Qt gives it.
class TypingWindow : public QWindow {
 public:
  QString typed;

 protected:
  void keyPressEvent(QKeyEvent* event) override { typed += event->text(); }
};

TEST_F(KitMonitorsOnX11, TheNativeMonitorSeesOurOwnInputFirstAndCanConsumeIt) {
  using Kind = kit::CarbonLocalEventMonitor::EventType;
  TypingWindow window;
  window.setGeometry(100, 100, 200, 100);
  window.show();
  window.requestActivate();
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window.isExposed() && window.isActive(); }));

  std::vector<std::pair<Kind, std::string>> seen;
  std::vector<uint8_t> mouse;
  std::vector<uint64_t> flags;
  auto monitor = kit::CarbonLocalEventMonitor::make(
      {Kind::keyUp, Kind::keyDown, Kind::keyModifiersChanged, Kind::mouseDown, Kind::mouseUp}, false,
      [&](const platform::Event& e) {
        if (e.type == platform::EventType::flagsChanged) {
          flags.push_back(e.modifierFlags);
          return false;
        }
        if (e.type == platform::EventType::keyDown || e.type == platform::EventType::keyUp) {
          seen.emplace_back(e.type == platform::EventType::keyDown ? Kind::keyDown : Kind::keyUp,
                            e.charactersIgnoringModifiers);
          return e.charactersIgnoringModifiers == "x";  // consumed: the window never gets it
        }
        mouse.push_back(e.type);
        return false;
      });
  std::weak_ptr<kit::CarbonLocalEventMonitor> weak = monitor;
  monitor->start();
  monitor.reset();
  ASSERT_FALSE(weak.expired()) << "a started monitor keeps itself";

  x11test::run({"xdotool", "type", "--delay", "20", "axb"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window.typed.size() >= 2; }));
  x11test::processEventsFor(150ms);
  EXPECT_EQ(window.typed, "ab");
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[2], std::make_pair(Kind::keyDown, std::string("x")));

  // A modifier key is a change of flags, with the state after it; Super reads as Control.
  x11test::run({"xdotool", "keydown", "super", "keyup", "super", "keydown", "shift", "keyup", "shift"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return flags.size() >= 4; }));
  EXPECT_EQ(flags, (std::vector<uint64_t>{Flag::control, 0, Flag::shift, 0}));

  x11test::run({"xdotool", "mousemove", "150", "150", "click", "1"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return mouse.size() >= 2; }));
  EXPECT_EQ(mouse, (std::vector<uint8_t>{platform::EventType::leftMouseDown, platform::EventType::leftMouseUp}));

  weak.lock()->stop();
  EXPECT_TRUE(weak.expired()) << "stopping lets it go";
  x11test::run({"xdotool", "type", "x"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window.typed == "abx"; }));
}

TEST_F(KitMonitorsOnX11, TheLocalMonitorSeesEachRealKeyOnceWithItsKeyCodeBeforeOurShortcuts) {
  QWidget window;
  auto* field = new QLineEdit(&window);
  (new QVBoxLayout(&window))->addWidget(field);
  int triggered = 0;
  auto* own = new QAction("Clear", &window);
  own->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  QObject::connect(own, &QAction::triggered, [&] { ++triggered; });
  window.addAction(own);
  window.setGeometry(100, 100, 200, 80);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window.isActiveWindow() && field->hasFocus(); }));

  std::vector<std::optional<uint16_t>> keyCodes;
  bool swallowing = false;
  kit::LocalEventMonitor monitor(platform::eventMask(platform::EventType::keyDown),
                                 [&](const platform::Event& e) -> std::optional<platform::Event> {
                                   keyCodes.push_back(e.keyCode);
                                   if (swallowing) return std::nullopt;
                                   return e;
                                 });
  monitor.start();
  press("key", "ctrl+k");
  ASSERT_TRUE(x11test::processEventsUntil([&] { return triggered == 1; }));
  EXPECT_EQ(keyCodes, (std::vector<std::optional<uint16_t>>{40})) << "K, by its place, seen once";

  swallowing = true;
  press("key", "ctrl+k");
  EXPECT_EQ(keyCodes.size(), 2u);
  EXPECT_EQ(triggered, 1) << "a swallowed press acts no shortcut of ours";

  swallowing = false;
  x11test::run({"xdotool", "type", "--delay", "20", "ab"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return field->text() == "ab"; }));
  EXPECT_EQ(keyCodes, (std::vector<std::optional<uint16_t>>{40, 40, 0, 11}));
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
