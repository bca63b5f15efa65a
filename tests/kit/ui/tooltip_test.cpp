#include "kit/ui/tooltip.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

namespace kit {
namespace {

TEST(TooltipTest, ShowOnceCountsPerIdentifierAndPlainTooltipsCountEveryShowing) {
  Tooltip once("onceTip", "Hi", {.showOnlyOnce = true});
  EXPECT_TRUE(once.showBelow(QPoint(100, 100)));
  once.close();
  Tooltip again("onceTip", "Hi", {.showOnlyOnce = true});
  EXPECT_FALSE(again.showBelow(QPoint(100, 100)));
  EXPECT_EQ(Tooltip::showCount("onceTip"), 1);

  Tooltip every("everyTip", "Hi", {.showOnlyOnce = false});
  EXPECT_TRUE(every.showBelow(QPoint(100, 100)));
  EXPECT_TRUE(every.showBelow(QPoint(100, 100)));
  EXPECT_EQ(Tooltip::showCount("everyTip"), 2);
}

TEST(TooltipTest, AClickClosesItBeforeTheActionRuns) {
  bool visibleDuringAction = true;
  Tooltip* tooltip = nullptr;
  Tooltip tip("clickTip", "Hi", {.closeOnClick = true, .onClick = [&] { visibleDuringAction = tooltip->isVisible(); }});
  tooltip = &tip;
  tip.showBelow(QPoint(100, 100));
  QTest::mouseClick(&tip, Qt::LeftButton);
  EXPECT_FALSE(visibleDuringAction);
  EXPECT_FALSE(tip.isVisible());
}

TEST(TooltipTest, WrapsInsideItsInsetsAndStaysNarrowForShortTexts) {
  Tooltip wide("wrapTip", std::string(400, 'w') + " end",
               {.maxWidth = 1000, .contentInsets = QMargins(26, 20, 26, 20)});
  EXPECT_EQ(wide.label()->width(), 948);
  EXPECT_GT(wide.label()->height(), wide.label()->fontMetrics().height());

  Tooltip shortText("wrapTip", "Hello, I'm Quillet", {.maxWidth = 1000, .contentInsets = QMargins(26, 20, 26, 20)});
  EXPECT_LT(shortText.label()->width(), 948);
  EXPECT_EQ(shortText.label()->height(), shortText.label()->heightForWidth(shortText.label()->width()));
}

}  // namespace
}  // namespace kit
