#include "kit/ui/tracking_area.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <string>
#include <vector>

namespace kit {
namespace {

TEST(TrackingAreaTest, ReportsEnteringMovingAndLeavingItsRectangleUntilItIsLetGo) {
  QWidget view;
  view.resize(200, 200);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  std::vector<std::string> events;
  auto area = std::make_unique<TrackingArea>(
      view, QRect(50, 50, 100, 100),
      TrackingArea::Handlers{
          .entered = [&] { events.push_back("entered"); },
          .exited = [&] { events.push_back("exited"); },
          .moved =
              [&](QPoint at) { events.push_back("moved " + std::to_string(at.x()) + "," + std::to_string(at.y())); }});
  for (QPoint at : {QPoint(10, 10), QPoint(60, 60), QPoint(70, 80), QPoint(160, 160), QPoint(100, 100)})
    QTest::mouseMove(&view, at);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&view, &leave);
  EXPECT_EQ(events, (std::vector<std::string>{"entered", "moved 60,60", "moved 70,80", "exited", "entered",
                                              "moved 100,100", "exited"}));

  events.clear();
  area.reset();
  QTest::mouseMove(&view, QPoint(60, 60));
  EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace kit
