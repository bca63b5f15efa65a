#include "kit/app/standard_menu.h"

#include <gtest/gtest.h>

#include <QTest>

#include "kit/app/relaunch.h"
#include "kit_widgets_test_support.h"

namespace kit {
namespace {

using StandardMenuTest = KitWidgetsTest;

TEST_F(StandardMenuTest, SettingsOpenOnALaterTurn) {
  int opens = 0;
  setOpenSettingsHandler([&] { ++opens; });
  settingsMenuItemAction();
  EXPECT_EQ(opens, 0);
  QTest::qWait(20);
  EXPECT_EQ(opens, 1);
  setOpenSettingsHandler({});
}

}  // namespace
}  // namespace kit
