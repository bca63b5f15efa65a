#include "kit/ui/tooltip.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "kit/ui/window_presentation.h"

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
  setPrefersReducedMotionForTesting(true);
  bool visibleDuringAction = true;
  Tooltip* tooltip = nullptr;
  Tooltip tip("clickTip", "Hi", {.closeOnClick = true, .onClick = [&] { visibleDuringAction = tooltip->isVisible(); }});
  tooltip = &tip;
  tip.showBelow(QPoint(100, 100));
  QTest::mouseClick(&tip, Qt::LeftButton);
  EXPECT_FALSE(visibleDuringAction);
  EXPECT_FALSE(tip.isVisible());
  setPrefersReducedMotionForTesting(std::nullopt);
}

TEST(TooltipTest, FadesInAndOutUnlessTheDesktopAsksForLessMotion) {
  for (bool reduced : {false, true}) {
    setPrefersReducedMotionForTesting(reduced);
    Tooltip tip("fadeTip", "Hi", {});
    int closings = 0;
    QObject::connect(&tip, &Tooltip::closed, [&] { ++closings; });
    tip.showBelow(QPoint(100, 100));
    EXPECT_EQ(tip.windowOpacity() < 1, !reduced);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip.windowOpacity() == 1; }, 3000));

    tip.close();
    tip.close();  // a second close while it fades changes nothing
    EXPECT_EQ(tip.isVisible(), !reduced);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tip.isVisible(); }, 3000));
    EXPECT_EQ(closings, 1);
  }
  setPrefersReducedMotionForTesting(std::nullopt);
}

TEST(TooltipTest, FollowsTheStatusItemWhileItShows) {
  setPrefersReducedMotionForTesting(true);
  Tooltip tip("followTip", "Hi", {});
  QRect item(600, 0, 22, 26);
  ASSERT_TRUE(tip.showUnderStatusItem([&item] { return item; }, true));
  auto pointsAtItem = [&] {
    return std::abs(tip.geometry().center().x() - item.center().x()) <= 1 && tip.y() == item.bottom() + 1 + 5;
  };
  EXPECT_TRUE(pointsAtItem());

  item.moveTo(500, 40);  // the panel moved down and the icons before the item changed
  EXPECT_TRUE(QTest::qWaitFor(pointsAtItem, 3000));

  // An item that is not on screen is not pointed at.
  tip.close();
  EXPECT_FALSE(tip.showUnderStatusItem([&item] { return item; }, false));
  setPrefersReducedMotionForTesting(std::nullopt);
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
