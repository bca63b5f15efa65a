#include "kit/ui/view_layout.h"

#include <gtest/gtest.h>

#include <QPropertyAnimation>
#include <QTest>
#include <QWidget>

#include "kit/foundation/timing_curves.h"
#include "kit/ui/window_presentation.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

TEST(ViewLayout, EdgesKeepTheirInsetsAsTheContainerResizes) {
  QWidget container;
  container.resize(200, 100);
  container.show();
  QWidget view;
  constrainEdges(view, container, QMargins(20, 10, 40, 30));  // left, top, right, bottom
  EXPECT_EQ(view.geometry(), QRect(20, 10, 140, 60));
  container.resize(300, 200);
  EXPECT_EQ(view.geometry(), QRect(20, 10, 240, 160));
}

TEST(ViewLayout, EdgesPinnedToAnotherViewFollowItsMovesAndResizesWhereverItLies) {
  QWidget window;
  window.resize(400, 300);
  auto* sibling = new QWidget(&window);
  sibling->setGeometry(100, 50, 200, 100);
  auto* view = new QWidget(&window);
  view->setGeometry(0, 0, 10, 10);
  window.show();  // a hidden widget hears of its moves only once it is shown
  constrainEdges(*view, *sibling, QMargins(20, 10, 40, 30));
  EXPECT_EQ(view->parentWidget(), &window) << "it stays where it is";
  EXPECT_EQ(view->geometry(), QRect(120, 60, 140, 60));
  sibling->setGeometry(150, 80, 100, 200);
  EXPECT_EQ(view->geometry(), QRect(170, 90, 40, 160));

  // Pinned to a widget inside another: the one it lies in moves it too.
  auto* inner = new QWidget(sibling);
  inner->setGeometry(5, 5, 50, 50);
  inner->show();
  constrainEdges(*view, *inner, QMargins());
  sibling->move(100, 50);
  EXPECT_EQ(view->geometry(), QRect(105, 55, 50, 50));
}

TEST(ViewLayout, AShakeMovesAlongItsAxisAndEndsWhereItStarted) {
  QWidget container;
  container.resize(200, 100);
  auto* view = new QWidget(&container);
  view->setGeometry(50, 20, 30, 30);

  setPrefersReducedMotionForTesting(true);
  shake(*view, 300ms, ShakeAxis::horizontal, 5);
  EXPECT_EQ(view->findChildren<QObject*>().size(), 0u) << "no animation at all";

  setPrefersReducedMotionForTesting(false);
  std::set<int> xs, ys;
  shake(*view, 300ms, ShakeAxis::horizontal, 5);
  (void)QTest::qWaitFor(
      [&] {
        xs.insert(view->x());
        ys.insert(view->y());
        return false;
      },
      400);
  setPrefersReducedMotionForTesting(std::nullopt);
  // Its end, which a busy machine may reach late.
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->findChildren<QObject*>().isEmpty(); }, 3000));
  EXPECT_EQ(view->pos(), QPoint(50, 20));
  // Both ways, never beyond the distance (a busy machine samples fewer of the positions in between).
  EXPECT_GE(*xs.begin(), 45);
  EXPECT_LT(*xs.begin(), 50);
  EXPECT_GT(*xs.rbegin(), 50);
  EXPECT_LE(*xs.rbegin(), 55);
  EXPECT_EQ(ys, std::set<int>{20});
}

TEST(ViewLayout, AShakeGoesToAndFroAtTheEaseInEaseOutPace) {
  // Slow at both ends, quick in the middle: the offsets a quarter of the way apart in progress are reached after
  // about 35 %, 50 % and 65 % of the time.
  const std::array<double, 5> times = shakeKeyTimes();
  EXPECT_NEAR(times[1], 0.35, 0.01);
  EXPECT_NEAR(times[2], 0.5, 0.001);
  EXPECT_NEAR(times[3], 0.65, 0.01);

  QWidget container;
  auto* view = new QWidget(&container);
  setPrefersReducedMotionForTesting(false);
  shake(*view, 300ms, ShakeAxis::vertical, 2);
  setPrefersReducedMotionForTesting(std::nullopt);
  auto* animation = view->findChild<QPropertyAnimation*>();
  ASSERT_NE(animation, nullptr);
  EXPECT_EQ(animation->easingCurve(), easeInOutTimingCurve());
}

}  // namespace
}  // namespace kit
