#include "kit/ui/tooltip.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "kit/ui/window_presentation.h"
#include "support/title_shown.h"

namespace kit {
namespace {

// A shown window for tooltips to point at, well inside the screen.
class ShownAnchor : public QWidget {
 public:
  explicit ShownAnchor(QRect geometry = QRect(350, 250, 100, 40)) {
    setGeometry(geometry);
    show();
    (void)QTest::qWaitForWindowExposed(this);
  }
  bool showTip(Tooltip& tip, RectEdge edge = RectEdge::maxY) { return tip.show(rect(), *this, edge); }
};

TEST(TooltipTest, ShowOnceCountsPerIdentifierAndPlainTooltipsCountEveryShowing) {
  ShownAnchor anchor;
  Tooltip once("onceTip", "Hi", {.showOnlyOnce = true});
  EXPECT_TRUE(anchor.showTip(once));
  once.close();
  Tooltip again("onceTip", "Hi", {.showOnlyOnce = true});
  EXPECT_FALSE(anchor.showTip(again));
  EXPECT_EQ(Tooltip::showCount("onceTip"), 1);

  Tooltip every("everyTip", "Hi", {.showOnlyOnce = false});
  EXPECT_FALSE(every.showOnlyOnce());
  EXPECT_TRUE(anchor.showTip(every));
  EXPECT_TRUE(anchor.showTip(every));
  EXPECT_EQ(Tooltip::showCount("everyTip"), 2);

  // A widget in no shown window gives it nothing to point at: not shown, not counted.
  QWidget hidden;
  auto* inside = new QWidget(&hidden);
  Tooltip unanchored("unanchoredTip", "Hi", {.showOnlyOnce = true});
  EXPECT_FALSE(unanchored.show(inside->rect(), *inside, RectEdge::maxY));
  EXPECT_EQ(Tooltip::showCount("unanchoredTip"), 0);
}

TEST(TooltipTest, PointsAtTheRectangleFromThePreferredEdgeOrTheOppositeOneWhereTheScreenHasNoRoom) {
  setPrefersReducedMotionForTesting(true);
  Tooltip tip("edgeTip", "Hi", {});
  auto placedBeside = [&tip](ShownAnchor& anchor, RectEdge edge) {
    tip.close();
    EXPECT_TRUE(anchor.showTip(tip, edge));
    return tip.geometry();
  };
  ShownAnchor middle;
  EXPECT_GT(placedBeside(middle, RectEdge::maxY).top(), middle.geometry().bottom());
  EXPECT_LT(placedBeside(middle, RectEdge::minX).right(), middle.geometry().left());

  // At the screen's lower left corner there is no room below or to the left.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  ShownAnchor corner(QRect(screen.left(), screen.bottom() + 1 - 40, 100, 40));
  EXPECT_LT(placedBeside(corner, RectEdge::maxY).bottom(), corner.geometry().top());
  EXPECT_GT(placedBeside(corner, RectEdge::minX).left(), corner.geometry().right());
  setPrefersReducedMotionForTesting(std::nullopt);
}

TEST(TooltipTest, AClickClosesItBeforeTheActionRuns) {
  setPrefersReducedMotionForTesting(true);
  bool visibleDuringAction = true;
  Tooltip* tooltip = nullptr;
  Tooltip tip("clickTip", "Hi", {.closeOnClick = true, .onClick = [&] { visibleDuringAction = tooltip->isVisible(); }});
  tooltip = &tip;
  ShownAnchor anchor;
  anchor.showTip(tip);
  QTest::mouseClick(&tip, Qt::RightButton);
  QTest::mousePress(&tip, Qt::LeftButton);
  EXPECT_TRUE(tip.isVisible()) << "only a primary click, at its release";
  QTest::mouseRelease(&tip, Qt::LeftButton);
  EXPECT_FALSE(visibleDuringAction);
  EXPECT_FALSE(tip.isVisible());
  setPrefersReducedMotionForTesting(std::nullopt);
}

TEST(TooltipTest, ClosingOnClickItAlsoClosesOnAClickOrAKeyInTheWindowItPointsAt) {
  setPrefersReducedMotionForTesting(true);
  ShownAnchor anchor, elsewhere(QRect(100, 100, 100, 40));
  auto* inside = new QWidget(&anchor);
  inside->show();
  Tooltip closing("semiTip", "Hi", {.closeOnClick = true}), staying("stayTip", "Hi", {.closeOnClick = false});
  anchor.showTip(closing);
  anchor.showTip(staying);
  QTest::mouseClick(&elsewhere, Qt::LeftButton);
  EXPECT_TRUE(closing.isVisible()) << "another window";
  QTest::mouseClick(inside, Qt::LeftButton);
  EXPECT_FALSE(closing.isVisible());
  EXPECT_TRUE(staying.isVisible());
  anchor.showTip(closing);
  QTest::keyClick(inside, Qt::Key_A);
  EXPECT_FALSE(closing.isVisible());
  setPrefersReducedMotionForTesting(std::nullopt);
}

TEST(TooltipTest, FadesInAndOutUnlessTheDesktopAsksForLessMotion) {
  for (bool reduced : {false, true}) {
    setPrefersReducedMotionForTesting(reduced);
    Tooltip tip("fadeTip", "Hi", {});
    int closings = 0;
    QObject::connect(&tip, &Tooltip::closed, [&] { ++closings; });
    ShownAnchor anchor;
    anchor.showTip(tip);
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

  // In the corner of a panel at the bottom there is no room below: above the item, inside the screen.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  item.moveTo(screen.right() - 21, screen.bottom() - 25);
  EXPECT_TRUE(QTest::qWaitFor([&] { return tip.geometry().bottom() == item.top() - 1 - 5; }, 3000));
  EXPECT_TRUE(screen.contains(tip.geometry()));

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
  // The tooltip holds the label at its insets, inside its frame.
  EXPECT_EQ(wide.label()->geometry(), wide.contentsRect().marginsRemoved(QMargins(26, 20, 26, 20)));

  Tooltip shortText("wrapTip", "Hello, I'm Quillet", {.maxWidth = 1000, .contentInsets = QMargins(26, 20, 26, 20)});
  EXPECT_LT(shortText.label()->width(), 948);
  EXPECT_EQ(shortText.label()->height(), shortText.label()->heightForWidth(shortText.label()->width()));

  // The text is shown as written, never as markup.
  Tooltip markup("markupTip", "Use <b>bold</b> & <i>italics</i>", {});
  EXPECT_EQ(titleShown(*markup.label()), "Use <b>bold</b> & <i>italics</i>");
}

}  // namespace
}  // namespace kit
