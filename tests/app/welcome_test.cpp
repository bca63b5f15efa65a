#include "app/welcome.h"

#include <gtest/gtest.h>

#include "app/menu_bar_test_support.h"

namespace app {
namespace {

TEST_F(MenuBarControllerTest, TheWelcomeComesOnlyOnTheFirstLaunchAndReturnDoesNotDismissIt) {
  auto later = makeController(false);
  EXPECT_TRUE(presenter.alerts.empty());
  auto first = makeController(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !presenter.alerts.empty(); }, 5000));  // on the turn after the start
  ASSERT_EQ(presenter.alerts.size(), 1u);
  const kit::Alert& welcome = presenter.alerts.front();
  ASSERT_EQ(welcome.buttons.size(), 1u);
  EXPECT_NE(welcome.buttons.front().keyEquivalent, "\r");
}

}  // namespace
}  // namespace app
