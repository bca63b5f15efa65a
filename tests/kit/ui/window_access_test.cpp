// Following the window that hosts a piece of content: its size changes, also after the content moved.
#include "kit/ui/window_access.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>

namespace kit {
namespace {

TEST(WindowResizeObserverTest, ReportsResizesOfTheHostingWindowAndFollowsTheContentIntoAnother) {
  QWidget first, second;
  auto* content = new QWidget(&first);
  int resizes = 0;
  new WindowResizeObserver(*content, [&] { ++resizes; });
  first.show();
  second.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
  resizes = 0;

  first.resize(first.width() + 40, first.height());
  EXPECT_TRUE(QTest::qWaitFor([&] { return resizes == 1; }));
  content->resize(10, 10);  // the content's own size is not the window's
  QTest::qWait(20);
  EXPECT_EQ(resizes, 1);

  content->setParent(&second);
  content->show();
  first.resize(first.width() + 40, first.height());
  second.resize(second.width() + 40, second.height());
  EXPECT_TRUE(QTest::qWaitFor([&] { return resizes == 2; }));
  QTest::qWait(20);
  EXPECT_EQ(resizes, 2);
}

}  // namespace
}  // namespace kit
