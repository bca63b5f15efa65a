#include "kit/ui/action_callbacks.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <memory>

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
