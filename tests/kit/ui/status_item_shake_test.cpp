#include "kit/ui/status_item_shake.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTest>
#include <vector>

#include "kit/ui/window_presentation.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

// A 22-pixel icon whose opaque square starts at row 6.
QIcon squareIcon(QColor colour) {
  QPixmap pixmap(22, 22);
  pixmap.fill(Qt::transparent);
  QPainter(&pixmap).fillRect(QRect(6, 6, 10, 10), colour);
  return QIcon(pixmap);
}

int firstOpaqueRow(const QIcon& icon) {
  const QImage image = icon.pixmap(22, 22).toImage();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).alpha() > 128) return y;
  return -1;
}

class StatusItemShakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setPrefersReducedMotionForTesting(false);
    item.setIcon(own);
  }
  void TearDown() override { setPrefersReducedMotionForTesting(std::nullopt); }

  QSystemTrayIcon item;
  const QIcon own = squareIcon(Qt::red);
};

TEST_F(StatusItemShakeTest, ShowsTheIconUpDownAndHalfwayThenTheItemsOwnIcon) {
  shakeStatusItem(item, 300ms, ShakeAxis::vertical, 2);
  std::vector<int> offsets;
  qint64 seen = 0;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        if (item.icon().cacheKey() != seen) {
          seen = item.icon().cacheKey();
          offsets.push_back(firstOpaqueRow(item.icon()) - 6);
        }
        return seen == own.cacheKey();
      },
      5000));
  EXPECT_EQ(offsets, (std::vector<int>{-2, 2, -1, 1, 0}));

  // A second shake while one runs starts again from the item's own icon, and ends with it.
  shakeStatusItem(item, 300ms, ShakeAxis::horizontal, 4);
  shakeStatusItem(item, 300ms, ShakeAxis::vertical, 2);
  EXPECT_EQ(firstOpaqueRow(item.icon()), 6 - 2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return item.icon().cacheKey() == own.cacheKey(); }, 5000));
}

TEST_F(StatusItemShakeTest, TheFramesComeAtThePaceOfAShakenView) {
  // Over 1.2 s the frames come after about 0, 420, 600 and 780 ms, and the own icon at 1200 ms: long steps at both
  // ends, short ones in the middle.
  QElapsedTimer clock;
  clock.start();
  shakeStatusItem(item, 1200ms, ShakeAxis::vertical, 2);
  std::vector<qint64> changes;
  qint64 seen = item.icon().cacheKey();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        if (item.icon().cacheKey() != seen) {
          seen = item.icon().cacheKey();
          changes.push_back(clock.elapsed());
        }
        return seen == own.cacheKey();
      },
      5000));
  ASSERT_EQ(changes.size(), 4u);
  EXPECT_LT(changes[1] - changes[0], changes[0] - 100);
}

TEST_F(StatusItemShakeTest, AnIconSetByTheOwnerMeanwhileStays) {
  shakeStatusItem(item, 300ms, ShakeAxis::vertical, 2);
  const QIcon dimmed = squareIcon(Qt::gray);
  item.setIcon(dimmed);
  QTest::qWait(400);
  EXPECT_EQ(item.icon().cacheKey(), dimmed.cacheKey());
}

TEST_F(StatusItemShakeTest, NothingMovesWhenTheDesktopAsksForLessMotion) {
  setPrefersReducedMotionForTesting(true);
  shakeStatusItem(item, 300ms, ShakeAxis::vertical, 2);
  EXPECT_EQ(item.icon().cacheKey(), own.cacheKey());
}

}  // namespace
}  // namespace kit
