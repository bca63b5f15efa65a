#include "kit/app/standard_menu.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>

#include "kit/app/relaunch.h"
#include "kit_widgets_test_support.h"

namespace kit {
namespace {

using StandardMenuTest = KitWidgetsTest;

TEST_F(StandardMenuTest, HeadersAreDisabledAndAddASeparatorOnlyWhenAsked) {
  QMenu menu;
  QAction* header = addHeader(menu, "Quick Settings", false);
  EXPECT_EQ(menu.actions().size(), 1);
  addHeader(menu, "Other", true);
  ASSERT_EQ(menu.actions().size(), 3);
  EXPECT_TRUE(menu.actions()[1]->isSeparator());
  EXPECT_FALSE(header->isEnabled());
  EXPECT_LT(header->font().pointSizeF(), menu.font().pointSizeF());
}

TEST_F(StandardMenuTest, LinkItemsOpenTheProductPagesWithTheirFragments) {
  QMenu menu;
  addTipsItem(menu)->trigger();
  addFAQItem(menu)->trigger();
  addWebsiteItem(menu)->trigger();
  addMoreAppsItem(menu)->trigger();
  EXPECT_EQ(addRateAppItem(menu), nullptr);
  EXPECT_EQ(opened, (std::vector<std::string>{"https://kestrova.com/quillet#tips", "https://kestrova.com/quillet#faq",
                                              "https://kestrova.com/quillet", "https://kestrova.com/apps"}));
  for (QAction* action : menu.actions()) EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
}

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
