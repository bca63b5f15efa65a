#include "kit/ui/action_callbacks.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/modifier_flags.h"

namespace kit {
namespace {

namespace EventType = platform::EventType;

TEST(ActionCallbacks, ASecondHandlerReplacesAndReleasesTheFirst) {
  QPushButton button("Go");
  auto firstState = std::make_shared<int>(0);
  std::weak_ptr<int> firstAlive = firstState;
  int second = 0;
  setOnAction(button, [firstState](const platform::Event&) { ++*firstState; });
  setOnAction(button, [&](const platform::Event&) { ++second; });
  firstState.reset();
  EXPECT_TRUE(firstAlive.expired());
  button.click();
  EXPECT_EQ(second, 1);
}

TEST(ActionCallbacks, AHandlerMayReplaceItselfWhileItRuns) {
  // A "Start" that becomes "Stop": the running handler is released only after it returns, so what it captured is
  // still there when it reads it after setting the new handler.
  QPushButton button("Start");
  QAction action("Start");
  std::vector<std::string> log;
  auto startStop = [&log](auto& control) {
    return [&log, &control, label = std::string("started the long-running job")](const platform::Event&) {
      setOnAction(control, [&log](const platform::Event&) { log.emplace_back("stopped"); });
      log.push_back(label);
    };
  };
  setOnAction(button, startStop(button));
  setOnAction(action, startStop(action));
  button.click();
  button.click();
  action.trigger();
  action.trigger();
  EXPECT_EQ(log, (std::vector<std::string>{"started the long-running job", "stopped", "started the long-running job",
                                           "stopped"}));
}

TEST(ActionCallbacks, HandlersGetTheClickOrASyntheticMouseDown) {
  QPushButton button("Go");
  button.resize(80, 30);
  button.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
  std::vector<platform::Event> events;
  setOnAction(button, [&](const platform::Event& event) { events.push_back(event); });

  QTest::mouseClick(&button, Qt::LeftButton, Qt::ShiftModifier, {10, 10});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, EventType::leftMouseUp) << "the release that clicked";
  EXPECT_EQ(events[0].modifierFlags, platform::ModifierFlag::shift);

  QTest::qWait(1);  // the click is over
  EXPECT_EQ(currentEvent(), std::nullopt);
  button.click();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].type, EventType::leftMouseDown);
  EXPECT_EQ(events[1].location.x, 0);

  QAction action("Act");
  int triggered = 0;
  setOnAction(action, [&](const platform::Event& event) { triggered += event.type == EventType::leftMouseDown; });
  action.trigger();
  EXPECT_EQ(triggered, 1);
}

TEST(ActionCallbacks, AMixedCheckBoxReadsTrue) {
  QCheckBox box;
  box.setTristate(true);
  box.setCheckState(Qt::PartiallyChecked);
  EXPECT_TRUE(boolValue(box));
  setBoolValue(box, false);
  EXPECT_EQ(box.checkState(), Qt::Unchecked);
  EXPECT_FALSE(boolValue(box));
  setBoolValue(box, true);
  EXPECT_EQ(box.checkState(), Qt::Checked);
}

}  // namespace
}  // namespace kit
