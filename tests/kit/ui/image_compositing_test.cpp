#include "kit/ui/image_compositing.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>

namespace kit {
namespace {

QImage filled(int width, int height, QColor color) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(color);
  return image;
}

TEST(ImageCompositing, TintingColoursTheDarkPartsAndClearsTheRest) {
  EXPECT_EQ(image(QPixmap()), std::nullopt);
  EXPECT_EQ(image(QIcon(), {16, 16}), std::nullopt);
  EXPECT_EQ(tinted(QImage(), Qt::red), std::nullopt);

  QImage code = filled(4, 2, Qt::white);
  code.setPixelColor(0, 0, Qt::black);
  code.setPixelColor(3, 1, Qt::black);
  const auto red = tinted(code, Qt::red);
  ASSERT_TRUE(red);
  EXPECT_EQ(red->pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(red->pixelColor(3, 1), QColor(Qt::red));
  EXPECT_EQ(red->pixelColor(1, 0).alpha(), 0);
  EXPECT_EQ(tinted(filled(1, 1, Qt::transparent), Qt::red)->pixelColor(0, 0).alpha(), 0);
  // An icon's image on a scaled screen is drawn as large once tinted.
  code.setDevicePixelRatio(2);
  EXPECT_EQ(tinted(code, Qt::red)->deviceIndependentSize(), QSizeF(2, 1));
}

TEST(ImageCompositing, CenteringPutsTheTopImageInTheMiddle) {
  const auto result = centering(filled(100, 100, Qt::white), filled(10, 10, Qt::blue));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->size(), QSize(100, 100));
  EXPECT_EQ(result->pixelColor(45, 45), QColor(Qt::blue));
  EXPECT_EQ(result->pixelColor(54, 54), QColor(Qt::blue));
  EXPECT_EQ(result->pixelColor(44, 45), QColor(Qt::white));
  EXPECT_EQ(result->pixelColor(55, 54), QColor(Qt::white));

  // Pixel for pixel whatever the top's device pixel ratio (as an icon's image on a scaled screen has).
  QImage sharp = filled(20, 20, Qt::blue);
  sharp.setDevicePixelRatio(2);
  const auto scaled = centering(filled(100, 100, Qt::white), sharp);
  EXPECT_EQ(scaled->pixelColor(40, 40), QColor(Qt::blue));
  EXPECT_EQ(scaled->pixelColor(59, 59), QColor(Qt::blue));
  EXPECT_EQ(scaled->pixelColor(60, 60), QColor(Qt::white));
  // A top wider than the background: the result covers both.
  const auto crossed = centering(filled(10, 30, Qt::white), filled(30, 10, Qt::blue));
  EXPECT_EQ(crossed->size(), QSize(30, 30));
  EXPECT_EQ(crossed->pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(crossed->pixelColor(15, 0), QColor(Qt::white));
  EXPECT_EQ(crossed->pixelColor(0, 15), QColor(Qt::blue));
  EXPECT_EQ(centering(filled(1, 1, Qt::white), QImage()), std::nullopt);
  EXPECT_EQ(emptyImage().size(), QSize(1, 1));
  EXPECT_EQ(emptyImage().pixelColor(0, 0).alpha(), 0);
}

TEST(ImageCompositing, PixelFormatsNameTheirChannelOrder) {
  if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
    EXPECT_EQ(pixelFormat(filled(1, 1, Qt::red)), PixelFormat::bgra);
  }
  EXPECT_EQ(pixelFormat(QImage(1, 1, QImage::Format_RGBA8888)), PixelFormat::rgba);
  EXPECT_EQ(pixelFormat(QImage(1, 1, QImage::Format_RGB888)), std::nullopt);
}

}  // namespace
}  // namespace kit
