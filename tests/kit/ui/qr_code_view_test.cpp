#include "kit/ui/qr_code_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <set>

namespace kit {
namespace {

using Level = QRCodeErrorCorrectionLevel;

// The colours of an image, as ARGB values; every fully transparent pixel counts as 0.
std::set<QRgb> colours(const QImage& image) {
  std::set<QRgb> result;
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) result.insert(qAlpha(argb.pixel(x, y)) == 0 ? 0 : argb.pixel(x, y));
  return result;
}

TEST(QRCode, EncodesLatin1TextAtEachLevelAndNothingElse) {
  const auto low = qrCodeMatrix("https://kestrova.com/quillet", Level::low);
  const auto high = qrCodeMatrix("https://kestrova.com/quillet", Level::high);
  ASSERT_TRUE(low && high);
  EXPECT_LT(low->size, high->size);
  // "é" is in ISO Latin-1 (one byte, not UTF-8's two); an emoji or broken UTF-8 is not.
  EXPECT_TRUE(qrCodeMatrix("caf\xC3\xA9", Level::low));
  EXPECT_FALSE(qrCodeMatrix("smile \xF0\x9F\x98\x80", Level::low));
  EXPECT_FALSE(qrCodeMatrix("broken \xC3", Level::low));
  EXPECT_FALSE(qrCodeImage("smile \xF0\x9F\x98\x80", Level::low, Qt::black));
}

TEST(QRCode, TheImageHasOnePixelPerModuleInTheColourOnATransparentGround) {
  const auto matrix = qrCodeMatrix("hello", Level::medium);
  const auto image = qrCodeImage("hello", Level::medium, QColor(200, 0, 0));
  ASSERT_TRUE(matrix && image);
  EXPECT_EQ(image->width(), matrix->size + 8) << "a quiet zone of four modules on each side";
  EXPECT_EQ(colours(*image), (std::set<QRgb>{qRgba(0, 0, 0, 0), qRgba(200, 0, 0, 255)}));
  EXPECT_EQ(qAlpha(image->pixel(4, 4)), 255) << "the finder pattern's corner";
  EXPECT_EQ(qAlpha(image->pixel(0, 0)), 0);

  QImage centre(5, 5, QImage::Format_ARGB32);
  centre.fill(QColor(0, 0, 255));
  const auto withCentre = qrCodeImage("hello", Level::medium, QColor(200, 0, 0), centre);
  const int middle = image->width() / 2;
  EXPECT_EQ(withCentre->pixelColor(middle, middle), QColor(0, 0, 255));
  EXPECT_EQ(withCentre->pixelColor(4, 4), QColor(200, 0, 0));
}

TEST(QRCode, TheViewFillsItsSquareWithHardEdgesAndDrawsNothingForAnUnencodableText) {
  const auto render = [](QRCodeView& view) {
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    view.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
  };
  QRCodeView view("https://kestrova.com/quillet", Level::medium);
  view.resize(203, 150);
  const std::set<QRgb> drawn = colours(render(view));
  EXPECT_EQ(drawn.size(), 2u) << "modules and ground only: no smoothed edges";
  EXPECT_TRUE(drawn.count(qRgba(0, 0, 0, 0)));

  QRCodeView nothing("smile \xF0\x9F\x98\x80", Level::medium);
  nothing.resize(100, 100);
  EXPECT_EQ(colours(render(nothing)), std::set<QRgb>{qRgba(0, 0, 0, 0)});
}

}  // namespace
}  // namespace kit
