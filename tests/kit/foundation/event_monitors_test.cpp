#include "kit/foundation/event_monitors.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>
#include <memory>

#include "platform/system/modifier_flags.h"
#include "support/event_loop.h"

namespace {

// Records the key events that get through to it.
class Receiver : public QObject {
 public:
  std::vector<std::pair<QEvent::Type, QString>> received;
  bool event(QEvent* e) override {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
      received.emplace_back(e->type(), static_cast<QKeyEvent*>(e)->text());
      return true;
    }
    return QObject::event(e);
  }
};

class LocalEventMonitorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { eventloop::ensureGuiApplication(); }
  void key(QEvent::Type type, int k, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent e(type, k, modifiers, text);
    QCoreApplication::sendEvent(&receiver, &e);
  }
  Receiver receiver;
};

TEST_F(LocalEventMonitorTest, SwallowsReplacesAndPublishesEveryMonitoredEvent) {
  using platform::EventType::keyDown;
  using platform::EventType::keyUp;
  auto monitor =
      std::make_unique<kit::LocalEventMonitor>(platform::eventMask(keyDown) | platform::eventMask(keyUp),
                                               [](const platform::Event& e) -> std::optional<platform::Event> {
                                                 if (e.type == keyDown && e.characters == "x")
                                                   return std::nullopt;  // swallowed
                                                 if (e.type == keyDown && e.characters == "a") {
                                                   platform::Event replaced = e;
                                                   replaced.characters = "b";
                                                   return replaced;
                                                 }
                                                 return e;
                                               });
  std::vector<std::string> published;
  auto sink = monitor->objectWillChange.publisher().sink([&](const platform::Event& e) {
    published.push_back(e.characters + (e.modifierFlags & platform::ModifierFlag::command ? "+cmd" : ""));
  });
  monitor->start();
  monitor->start();  // starting again replaces the first registration
  key(QEvent::KeyPress, Qt::Key_X, "x");
  key(QEvent::KeyPress, Qt::Key_A, "a", Qt::ControlModifier);
  key(QEvent::KeyRelease, Qt::Key_A, "a");
  EXPECT_EQ(published, (std::vector<std::string>{"x", "a+cmd", "a"}));
  ASSERT_EQ(receiver.received.size(), 2u);
  EXPECT_EQ(receiver.received[0], std::make_pair(QEvent::KeyPress, QString("b")));
  EXPECT_EQ(receiver.received[1], std::make_pair(QEvent::KeyRelease, QString("a")));

  // A released monitor no longer filters.
  monitor.reset();
  key(QEvent::KeyPress, Qt::Key_X, "x");
  EXPECT_EQ(receiver.received.size(), 3u);
  EXPECT_EQ(published.size(), 3u);
}

TEST_F(LocalEventMonitorTest, WithoutCallbackEveryEventPassesAndIsStillPublished) {
  kit::LocalEventMonitor monitor(platform::eventMask(platform::EventType::keyDown));
  int published = 0;
  auto sink = monitor.objectWillChange.publisher().sink([&](const platform::Event&) { ++published; });
  monitor.start();
  key(QEvent::KeyPress, Qt::Key_Q, "q");
  key(QEvent::KeyRelease, Qt::Key_Q, "q");  // not in the mask
  EXPECT_EQ(published, 1);
  EXPECT_EQ(receiver.received.size(), 2u);
}

TEST_F(LocalEventMonitorTest, KeyPressesReachTheMonitorOnceBeforeTheApplicationsShortcuts) {
  using platform::EventType::keyDown;
  std::vector<std::string> seen;
  kit::LocalEventMonitor monitor(platform::eventMask(keyDown),
                                 [&](const platform::Event& e) -> std::optional<platform::Event> {
                                   seen.push_back(e.characters);
                                   if (e.characters == "x") return std::nullopt;
                                   return e;
                                 });
  monitor.start();
  // Qt asks the focused object whether a press is its own before any shortcut acts on it: accepted, none does.
  auto mayActAShortcut = [&](int k, const QString& text) {
    QKeyEvent override(QEvent::ShortcutOverride, k, Qt::ControlModifier, text);
    override.ignore();
    QCoreApplication::sendEvent(&receiver, &override);
    return !override.isAccepted();
  };
  EXPECT_FALSE(mayActAShortcut(Qt::Key_X, "x"));
  key(QEvent::KeyPress, Qt::Key_X, "x", Qt::ControlModifier);
  EXPECT_TRUE(receiver.received.empty()) << "swallowed";
  EXPECT_TRUE(mayActAShortcut(Qt::Key_Y, "y"));
  key(QEvent::KeyPress, Qt::Key_Y, "y", Qt::ControlModifier);
  EXPECT_EQ(receiver.received.size(), 1u);
  EXPECT_EQ(seen, (std::vector<std::string>{"x", "y"})) << "each press once";

  // A monitor released by its own callback decides that event and then no more.
  auto once = std::make_unique<kit::LocalEventMonitor>(platform::eventMask(keyDown));
  once->callback = [&](const platform::Event&) -> std::optional<platform::Event> {
    once.reset();
    return std::nullopt;
  };
  once->start();
  EXPECT_FALSE(mayActAShortcut(Qt::Key_Z, "z"));
  key(QEvent::KeyPress, Qt::Key_Z, "z", Qt::ControlModifier);
  EXPECT_EQ(once, nullptr);
  EXPECT_EQ(receiver.received.size(), 1u) << "the press it swallowed stays swallowed";
  key(QEvent::KeyPress, Qt::Key_Z, "z", Qt::ControlModifier);
  EXPECT_EQ(receiver.received.size(), 2u);
}

TEST_F(LocalEventMonitorTest, RunLoopMonitorsFilterOnlyInTheirModeOfTheLoop) {
  using platform::EventType::keyDown;
  auto dropX = [](const platform::Event& e) -> std::optional<platform::Event> {
    if (e.characters == "x") return std::nullopt;
    return e;
  };
  kit::RunLoopLocalEventMonitor whileTracking(platform::eventMask(keyDown), kit::RunLoopMode::eventTracking, dropX);
  whileTracking.start();
  key(QEvent::KeyPress, Qt::Key_X, "x");
  EXPECT_EQ(receiver.received.size(), 1u) << "no menu is open: the loop is not tracking events";

  QWindow menu;
  menu.setFlags(Qt::Popup);
  menu.show();
  key(QEvent::KeyPress, Qt::Key_X, "x");
  key(QEvent::KeyPress, Qt::Key_Y, "y");
  ASSERT_EQ(receiver.received.size(), 2u);
  EXPECT_EQ(receiver.received[1].second, "y");

  whileTracking.stop();
  kit::RunLoopLocalEventMonitor outsideMenus(platform::eventMask(keyDown), kit::RunLoopMode::defaultMode, dropX);
  outsideMenus.start();
  key(QEvent::KeyPress, Qt::Key_X, "x");
  EXPECT_EQ(receiver.received.size(), 3u);
  menu.hide();
  key(QEvent::KeyPress, Qt::Key_X, "x");
  EXPECT_EQ(receiver.received.size(), 3u);
}

TEST_F(LocalEventMonitorTest, ARunLoopMonitorMayReleaseItselfFromItsCallback) {
  // Set when the callback's captures are destroyed: they must outlive the call that releases the monitor.
  struct Alive {
    explicit Alive(bool& gone) : gone(gone) {}
    ~Alive() { gone = true; }
    bool& gone;
  };
  bool gone = false, goneDuringTheCall = true;
  std::unique_ptr<kit::RunLoopLocalEventMonitor> monitor;
  monitor = std::make_unique<kit::RunLoopLocalEventMonitor>(
      platform::eventMask(platform::EventType::keyDown), kit::RunLoopMode::common,
      [&, alive = std::make_shared<Alive>(gone)](const platform::Event&) -> std::optional<platform::Event> {
        monitor.reset();
        goneDuringTheCall = gone;
        return std::nullopt;
      });
  monitor->start();
  key(QEvent::KeyPress, Qt::Key_X, "x");
  EXPECT_FALSE(goneDuringTheCall);
  EXPECT_TRUE(gone);
  EXPECT_TRUE(receiver.received.empty());
}

}  // namespace
