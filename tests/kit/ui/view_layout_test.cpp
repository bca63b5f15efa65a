#include "kit/ui/view_layout.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

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

}  // namespace
}  // namespace kit
