#include "kit/shortcuts/view_shortcuts.h"

#include <gtest/gtest.h>

#include <QObject>
#include <vector>

#include "kit/shortcuts/handlers.h"
#include "kit/shortcuts/storage.h"
#include "support/manual_main_executor.h"

namespace {

using kit::GlobalShortcuts::EventType;
using kit::GlobalShortcuts::Name;
namespace gs = kit::GlobalShortcuts;

class ViewShortcuts : public ManualMainExecutorTest {
 protected:
  void TearDown() override {
    gs::removeAllHandlers();
    ManualMainExecutorTest::TearDown();
  }
  void pressAndRelease(const gs::Shortcut& shortcut) {
    gs::handleOnKeyDown(shortcut);
    gs::handleOnKeyUp(shortcut);
    main.runUntilIdle();
  }
};

TEST_F(ViewShortcuts, ViewSubscriptionEndsWithItsOwner) {
  const Name name("handlersView");
  gs::saveShortcut({15, 256}, name);
  std::vector<EventType> received;
  int ups = 0;
  {
    QObject owner;
    gs::onKeyboardShortcut(owner, name, [&](EventType e) { received.push_back(e); });
    gs::onKeyboardShortcut(owner, name, EventType::keyUp, [&] { ++ups; });
    main.runUntilIdle();
    pressAndRelease({15, 256});
    EXPECT_EQ(received, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(ups, 1);
  }
  main.runUntilIdle();
  pressAndRelease({15, 256});
  EXPECT_EQ(received.size(), 2u);
  EXPECT_EQ(ups, 1);
  EXPECT_TRUE(gs::streamShortcuts().empty());
}

}  // namespace
