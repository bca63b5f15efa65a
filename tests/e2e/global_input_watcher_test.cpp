#include "platform/system/global_input_watcher.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <string>
#include <vector>

#include "key_test_support.h"
#include "platform/system/input_monitors.h"
#include "platform/system/modifier_flags.h"
#include "platform/system/x11_connection.h"
#include "x11_session_support.h"

namespace {

using namespace std::chrono_literals;
namespace Flag = platform::ModifierFlag;

class GlobalInputWatcherOnX11 : public x11test::SessionTest {
 protected:
  void SetUp() override {
    watcher_ = platform::GlobalInputWatcher::shared();
    ASSERT_NE(watcher_, nullptr);
    x11test::processEventsFor(100ms);
  }

  // Presses or releases a key through xdotool; once this returns, the server has sent the watcher's connection
  // what the key caused, but nothing of ours has read it: the Qt loop does not run while xdotool does.
  static void key(const std::string& action, const std::string& name) {
    xdotool(action + " " + name);
    // A round trip of another client: the server handled xdotool's requests and wrote out every event they caused
    // before it answers.
    x11test::Client().roundTrip();
  }

  // The modifiers the watcher answers, and how many requests the answer made on its connection.
  std::pair<uint64_t, unsigned> flagsAndRequests() const {
    xcb_connection_t* c = platform::X11Connection::shared()->connection();
    unsigned before = xcb_no_operation(c).sequence;
    uint64_t flags = watcher_->currentFlags() & Flag::deviceIndependentMask;
    unsigned after = xcb_no_operation(c).sequence;
    return {flags, after - before - 1};
  }

  platform::GlobalInputWatcher* watcher_ = nullptr;
};

TEST_F(GlobalInputWatcherOnX11, ModifierChangesAreAnsweredAtTheNextCallWithoutARequestAndStillDelivered) {
  std::vector<uint64_t> delivered;
  auto monitor = platform::InputMonitors::addGlobalMonitor(
      platform::eventMask(platform::EventType::flagsChanged),
      [&](const platform::Event& event) { delivered.push_back(event.modifierFlags & Flag::deviceIndependentMask); });
  ASSERT_TRUE(monitor);

  std::vector<uint64_t> expected;
  // The loop does not run between the key and the answer: the call itself reads what the server sent.
  auto step = [&](const char* action, const char* name, uint64_t flags) {
    key(action, name);
    expected.push_back(flags);
    EXPECT_EQ(flagsAndRequests(), std::make_pair(flags, 0u)) << action << " " << name;
    EXPECT_EQ(flagsAndRequests(), std::make_pair(flags, 0u)) << "asked again, unchanged";
  };
  step("keydown", "shift", Flag::shift);
  step("keydown", "alt", Flag::shift | Flag::option);
  step("keyup", "shift", Flag::option);
  step("keyup", "alt", 0);

  // What the calls read on the way still reaches the monitors, once and in order.
  EXPECT_TRUE(delivered.empty());
  ASSERT_TRUE(x11test::processEventsUntil([&] { return delivered.size() >= expected.size(); }));
  x11test::processEventsFor(100ms);
  EXPECT_EQ(delivered, expected);
  platform::InputMonitors::removeMonitor(*monitor);
}

TEST_F(GlobalInputWatcherOnX11, AskedInsideAListenerItAnswersTheNewestStateAndKeepsDeliveryInOrder) {
  key("keydown", "ctrl");
  key("keydown", "shift");
  key("keyup", "ctrl");
  key("keyup", "shift");

  // The first monitor asks on every event; the second must still see the events in the order they came.
  std::vector<uint64_t> answeredInside, seenByFirst, seenBySecond;
  auto first = platform::InputMonitors::addGlobalMonitor(
      platform::eventMask(platform::EventType::flagsChanged), [&](const platform::Event& event) {
        seenByFirst.push_back(event.modifierFlags & Flag::deviceIndependentMask);
        answeredInside.push_back(watcher_->currentFlags() & Flag::deviceIndependentMask);
      });
  auto second = platform::InputMonitors::addGlobalMonitor(
      platform::eventMask(platform::EventType::flagsChanged),
      [&](const platform::Event& event) { seenBySecond.push_back(event.modifierFlags & Flag::deviceIndependentMask); });
  ASSERT_TRUE(first && second);

  ASSERT_TRUE(x11test::processEventsUntil([&] { return seenBySecond.size() >= 4; }));
  x11test::processEventsFor(100ms);
  const std::vector<uint64_t> inOrder{Flag::command, Flag::command | Flag::shift, Flag::shift, 0};
  EXPECT_EQ(seenByFirst, inOrder);
  EXPECT_EQ(seenBySecond, inOrder);
  // Every later event had been sent when the first one was delivered: each answer is the final state.
  EXPECT_EQ(answeredInside, std::vector<uint64_t>(4, 0));
  platform::InputMonitors::removeMonitor(*first);
  platform::InputMonitors::removeMonitor(*second);
}

TEST_F(GlobalInputWatcherOnX11, PressesAreCountedWhileAReaderWaitsForThemAndAKeyHeldIsToldFromAModifier) {
  // Every XInput event that reaches our connection, as the Qt loop hands them over: each one woke the program.
  int inputEvents = 0;
  auto listener = platform::X11Connection::shared()->addEventListener([&](const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) == XCB_GE_GENERIC) ++inputEvents;
  });
  auto presses = watcher_->pressCount();
  ASSERT_TRUE(presses);

  // A press shows at the next reading, before the loop ran; a release is no press.
  key("keydown", "a");
  auto afterKey = watcher_->pressCount();
  EXPECT_NE(afterKey, presses);
  key("keyup", "a");
  EXPECT_EQ(watcher_->pressCount(), afterKey);
  xdotool("click 1");
  x11test::Client().roundTrip();
  EXPECT_NE(watcher_->pressCount(), afterKey);

  // Once the first press after a reading reached the program, typing reaches it no more until it reads again.
  x11test::processEventsFor(100ms);
  const int afterFirstPress = inputEvents;
  EXPECT_GE(afterFirstPress, 1);
  for (const char* name : {"b", "c", "d", "e"}) key("key", name);
  x11test::processEventsFor(100ms);
  EXPECT_EQ(inputEvents, afterFirstPress);
  afterKey = watcher_->pressCount();
  key("key", "f");
  EXPECT_NE(watcher_->pressCount(), afterKey);

  // Only keys other than modifiers count as held.
  EXPECT_FALSE(watcher_->nonModifierKeyHeld());
  key("keydown", "ctrl");
  EXPECT_FALSE(watcher_->nonModifierKeyHeld());
  key("keydown", "c");
  EXPECT_TRUE(watcher_->nonModifierKeyHeld());
  key("keyup", "c");
  key("keyup", "ctrl");
  EXPECT_FALSE(watcher_->nonModifierKeyHeld());
}

}  // namespace
