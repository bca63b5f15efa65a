#include "kit/ui/zv_view.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPointer>
#include <QTest>

#include "kit/foundation/report_error.h"
#include "support/reported_errors.h"

namespace kit {
namespace {

TEST(ZvView, EachPlacementEventFiresOnceInItsLife) {
  QWidget first, second;
  auto* view = new ZvView;
  int superviewEvents = 0, appearEvents = 0;
  auto superview = view->didMoveToSuperviewPublisher().sink([&](auto) { ++superviewEvents; });
  auto appear = view->didAppearPublisher().sink([&](auto) { ++appearEvents; });

  view->setParent(&first);
  view->setParent(&second);
  EXPECT_EQ(superviewEvents, 1);
  EXPECT_TRUE(view->didMoveToSuperviewWasCalled());
  EXPECT_FALSE(view->didMoveToWindowWasCalled()) << "not shown yet";

  second.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
  view->setParent(&first);
  first.show();
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
  EXPECT_EQ(appearEvents, 1);

  int late = 0;
  auto lateSubscription = view->didAppearPublisher().sink([&](auto) { ++late; });
  view->hide();
  view->show();
  EXPECT_EQ(late, 0);
}

class Square : public ZvView {
 protected:
  void paintContent(QPainter& painter) override { painter.fillRect(0, 0, 10, 10, Qt::red); }
};

TEST(ZvView, ScaleIsAbsoluteAndANonFiniteOneIsReported) {
  const ReportedErrors reported;
  Square view;
  view.resize(40, 40);
  view.setScale(2);
  view.setScale(2);
  EXPECT_EQ(view.scale(), 2);
  EXPECT_EQ(view.grab().toImage().pixelColor(15, 15), QColor(Qt::red));
  EXPECT_NE(view.grab().toImage().pixelColor(25, 25), QColor(Qt::red));

  view.scaleTo({std::numeric_limits<double>::infinity(), 1});
  EXPECT_EQ(view.scale(), 2);
  EXPECT_EQ(reported.descriptions(), std::vector<std::string>{"The given scale size inf\u00d71 is not finite."});
}

TEST(AddedToSuperviewObserverView, CallsBackOnceShownInAWindowAndGoes) {
  QWidget window;
  int added = 0;
  QPointer<AddedToSuperviewObserverView> observer = new AddedToSuperviewObserverView(&window);
  observer->onAdded = [&] { ++added; };
  EXPECT_EQ(added, 0) << "its parent is not shown";
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(added, 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return observer.isNull(); }));

  // Placed in a window already on the screen, it calls back too.
  auto* late = new AddedToSuperviewObserverView(&window);
  late->onAdded = [&] { ++added; };
  EXPECT_TRUE(QTest::qWaitFor([&] { return added == 2; }));
  auto* moved = new AddedToSuperviewObserverView;
  moved->onAdded = [&] { ++added; };
  moved->setParent(&window);
  EXPECT_TRUE(QTest::qWaitFor([&] { return added == 3; }));
}

}  // namespace
}  // namespace kit
