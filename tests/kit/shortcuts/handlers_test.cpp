#include "kit/shortcuts/handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "kit/shortcuts/storage.h"
#include "platform/core/executor.h"
#include "platform/core/task.h"

namespace {

using kit::GlobalShortcuts::EventType;
using kit::GlobalShortcuts::Name;
using kit::GlobalShortcuts::Shortcut;
namespace gs = kit::GlobalShortcuts;

// Dispatch is driven here by calling the callbacks the hot-key layer calls; the X side is tested end to end.
class ShortcutHandlers : public ::testing::Test {
 protected:
  void SetUp() override { platform::setMainExecutorForTesting(&executor); }
  void TearDown() override {
    gs::removeAllHandlers();
    gs::setIsRecording(false);
    executor.runUntilIdle();
    platform::setMainExecutorForTesting(nullptr);
  }
  void pressAndRelease(const Shortcut& shortcut) {
    gs::handleOnKeyDown(shortcut);
    gs::handleOnKeyUp(shortcut);
    executor.runUntilIdle();
  }

  platform::ManualExecutor executor;
  std::vector<std::string> calls;
};

TEST_F(ShortcutHandlers, ClosuresOfEveryNameStoringTheCombinationRunInOrder) {
  const Name first("handlersFirst"), second("handlersSecond"), other("handlersOther");
  gs::onKeyUp(first, [&] { calls.push_back("first up"); });
  gs::onKeyDown(first, [&] { calls.push_back("first down 1"); });
  gs::onKeyDown(first, [&] { calls.push_back("first down 2"); });
  gs::onKeyUp(second, [&] { calls.push_back("second up"); });
  gs::onKeyUp(other, [&] { calls.push_back("other up"); });
  gs::saveShortcut({9, 256 | 2048}, first);
  gs::saveShortcut({9, 256 | 2048}, second);
  gs::saveShortcut({9, 256}, other);

  pressAndRelease({9, 256 | 2048});
  EXPECT_EQ(calls, (std::vector<std::string>{"first down 1", "first down 2", "first up", "second up"}));

  calls.clear();
  gs::setShortcut(std::nullopt, second);
  pressAndRelease({9, 256 | 2048});
  EXPECT_EQ(calls, (std::vector<std::string>{"first down 1", "first down 2", "first up"}))
      << "a name fires for what it stores when the event arrives";
}

TEST_F(ShortcutHandlers, ClosureAddedBeforeAShortcutExistsFiresOnceOneIsRecorded) {
  const Name name("handlersLater");
  gs::onKeyUp(name, [&] { calls.push_back("up"); });
  pressAndRelease({11, 256});
  EXPECT_TRUE(calls.empty());
  gs::saveShortcut({11, 256}, name);
  pressAndRelease({11, 256});
  EXPECT_EQ(calls, std::vector<std::string>{"up"});
}

TEST_F(ShortcutHandlers, NothingFiresWhileRecording) {
  const Name name("handlersRecording");
  gs::saveShortcut({12, 256}, name);
  gs::onKeyDown(name, [&] { calls.push_back("down"); });
  auto stream = gs::events(name);
  executor.runUntilIdle();
  gs::setIsRecording(true);
  pressAndRelease({12, 256});
  gs::triggerKeyDown(name);
  gs::setIsRecording(false);
  EXPECT_TRUE(calls.empty());
}

TEST_F(ShortcutHandlers, StreamsReceiveAfterTheClosuresAndEndWithTheirConsumer) {
  const Name name("handlersStream");
  gs::saveShortcut({13, 512 | 256}, name);
  gs::onKeyDown(name, [&] { calls.push_back("closure 1"); });
  gs::onKeyDown(name, [&] { calls.push_back("closure 2"); });

  std::vector<EventType> all, upsOnly;
  int downSignals = 0;
  auto consume = [&](auto stream, auto onElement) {
    return platform::spawn(executor, [stream, onElement]() -> platform::Task<void> {
      while (auto element = co_await stream.next()) onElement(*element);
    });
  };
  auto allTask = consume(gs::events(name), [&](EventType e) {
    all.push_back(e);
    calls.push_back("stream");
  });
  auto upTask = consume(gs::events(EventType::keyUp, name), [&](EventType e) { upsOnly.push_back(e); });
  auto signalTask = consume(gs::eventSignals(EventType::keyDown, name), [&](platform::rx::Unit) { ++downSignals; });
  executor.runUntilIdle();

  pressAndRelease({13, 512 | 256});
  EXPECT_EQ(calls, (std::vector<std::string>{"closure 1", "closure 2", "stream", "stream"}));
  EXPECT_EQ(all, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
  EXPECT_EQ(upsOnly, std::vector<EventType>{EventType::keyUp});
  EXPECT_EQ(downSignals, 1);
  EXPECT_EQ(gs::streamShortcuts().count(Shortcut{13, 768}), 1u);

  allTask.cancel();
  upTask.cancel();
  signalTask.cancel();
  executor.runUntilIdle();
  EXPECT_TRUE(gs::streamShortcuts().empty()) << "ended streams leave the dispatch tables";
  pressAndRelease({13, 768});
  EXPECT_EQ(all.size(), 2u);
}

TEST_F(ShortcutHandlers, StreamMadeOnAnotherThreadJoinsTheDispatchOnTheMainThread) {
  const Name name("handlersThread");
  gs::saveShortcut({16, 256}, name);
  std::optional<platform::AsyncStream<EventType>> stream;
  std::thread([&] { stream.emplace(gs::events(name)); }).join();
  EXPECT_TRUE(gs::streamShortcuts().empty()) << "the tables change on the main thread only";
  std::vector<EventType> received;
  auto task = platform::spawn(executor, [&]() -> platform::Task<void> {
    while (auto element = co_await stream->next()) received.push_back(*element);
  });
  executor.runUntilIdle();
  pressAndRelease({16, 256});
  EXPECT_EQ(received, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
  task.cancel();
  executor.runUntilIdle();
  EXPECT_TRUE(gs::streamShortcuts().empty());
}

TEST_F(ShortcutHandlers, TriggerKeyDownRunsTheKeyDownClosuresOfEveryNameSharingTheShortcut) {
  const Name first("triggerFirst"), second("triggerSecond"), without("triggerWithout");
  gs::saveShortcut({14, 256}, first);
  gs::saveShortcut({14, 256}, second);
  gs::onKeyDown(first, [&] { calls.push_back("first"); });
  gs::onKeyDown(second, [&] { calls.push_back("second"); });
  gs::onKeyUp(first, [&] { calls.push_back("up"); });
  gs::onKeyDown(without, [&] { calls.push_back("without"); });
  gs::triggerKeyDown(without);
  gs::triggerKeyDown(second);
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
