#include "kit/shortcuts/view_shortcuts.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
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
    main.runUntilIdle();
    gs::handleOnKeyDown(shortcut);
    gs::handleOnKeyUp(shortcut);
    main.runUntilIdle();
  }
};

TEST_F(ViewShortcuts, AViewReactsWhileItIsOnScreenAndNeverOnceItIsGone) {
  const Name name("handlersView");
  gs::saveShortcut({15, 256}, name);
  std::vector<EventType> received;
  int ups = 0;
  auto window = std::make_unique<QWidget>();
  auto* view = new QWidget(window.get());
  gs::onKeyboardShortcut(*view, name, [&](EventType e) { received.push_back(e); });
  gs::onKeyboardShortcut(*view, name, EventType::keyUp, [&] { ++ups; });
  pressAndRelease({15, 256});
  EXPECT_TRUE(received.empty()) << "a view never shown does not react";
  EXPECT_TRUE(gs::streamShortcuts().empty());

  window->show();
  pressAndRelease({15, 256});
  EXPECT_EQ(received, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
  EXPECT_EQ(ups, 1);

  window->hide();  // the view goes off screen with its window
  pressAndRelease({15, 256});
  EXPECT_EQ(received.size(), 2u);
  EXPECT_EQ(ups, 1);
  EXPECT_TRUE(gs::streamShortcuts().empty()) << "its streams ended";

  window->show();
  pressAndRelease({15, 256});
  EXPECT_EQ(received.size(), 4u) << "on screen again, it reacts again";
  EXPECT_EQ(ups, 2);

  window.reset();
  pressAndRelease({15, 256});
  EXPECT_EQ(received.size(), 4u);
  EXPECT_EQ(ups, 2);
  EXPECT_TRUE(gs::streamShortcuts().empty());
}

TEST_F(ViewShortcuts, AViewShownAlreadyReactsAtOnce) {
  const Name name("handlersShownView");
  gs::saveShortcut({16, 256}, name);
  QWidget view;
  view.show();
  int downs = 0;
  gs::onKeyboardShortcut(view, name, EventType::keyDown, [&] { ++downs; });
  pressAndRelease({16, 256});
  EXPECT_EQ(downs, 1);
}

}  // namespace
