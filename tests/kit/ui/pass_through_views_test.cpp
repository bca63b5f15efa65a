#include "kit/ui/pass_through_views.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "support/title_shown.h"

namespace kit {
namespace {

TEST(PassThroughViews, ClicksReachTheViewBehind) {
  QWidget window;
  window.resize(200, 100);
  auto* behind = new QPushButton("Behind", &window);
  behind->setGeometry(0, 0, 200, 100);
  int clicks = 0;
  QObject::connect(behind, &QPushButton::clicked, [&] { ++clicks; });
  auto* label = new LabelButton("Q&A", &window);
  label->setGeometry(10, 10, 60, 30);
  auto* plain = new NonInteractiveView(&window);
  plain->setGeometry(80, 10, 40, 30);
  auto* image = new NonInteractiveImageView(&window);
  image->setGeometry(130, 10, 40, 30);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  for (QPoint point : {QPoint(30, 20), QPoint(100, 20), QPoint(150, 20)})
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, point);
  EXPECT_EQ(clicks, 3);
  // Its title is shown as written, and no Alt+A presses it.
  EXPECT_EQ(titleShown(*label), "Q&A");
  EXPECT_FALSE(hasMnemonic(*label));
}

}  // namespace
}  // namespace kit
