#include "kit/ui/image_compositing.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace kit {

std::optional<QImage> image(const QPixmap& pixmap) {
  if (pixmap.isNull()) return std::nullopt;
  return pixmap.toImage();
}

std::optional<QImage> image(const QIcon& icon, const QSize& size) {
  if (icon.isNull()) return std::nullopt;
  return image(icon.pixmap(size));
}

std::optional<QImage> invertedAlphaMask(const QImage& source) {
  if (source.isNull()) return std::nullopt;
  const QImage in = source.convertToFormat(QImage::Format_ARGB32);
  QImage mask(in.size(), QImage::Format_ARGB32);
  for (int y = 0; y < in.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(in.constScanLine(y));
    auto* to = reinterpret_cast<QRgb*>(mask.scanLine(y));
    for (int x = 0; x < in.width(); ++x) {
      const QRgb pixel = from[x];
      // Luminance weights of sRGB; the darker and the more opaque, the more opaque the mask.
      const double luminance = (0.2126 * qRed(pixel) + 0.7152 * qGreen(pixel) + 0.0722 * qBlue(pixel)) / 255.0;
      const int alpha = qRound((1.0 - luminance) * qAlpha(pixel));
      to[x] = qRgba(255, 255, 255, alpha);
    }
  }
  mask.setDevicePixelRatio(source.devicePixelRatio());
  return mask;
}

std::optional<QImage> tinted(const QImage& source, const QColor& color) {
  auto mask = invertedAlphaMask(source);
  if (!mask) return std::nullopt;
  QImage result(mask->size(), QImage::Format_ARGB32);
  const QRgb rgb = color.rgb();
  for (int y = 0; y < mask->height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(mask->constScanLine(y));
    auto* to = reinterpret_cast<QRgb*>(result.scanLine(y));
    for (int x = 0; x < mask->width(); ++x)
      to[x] = qRgba(qRed(rgb), qGreen(rgb), qBlue(rgb), qRound(qAlpha(from[x]) * color.alphaF()));
  }
  result.setDevicePixelRatio(mask->devicePixelRatio());
  return result;
}

std::optional<QImage> centering(const QImage& background, const QImage& top) {
  if (background.isNull() || top.isNull()) return std::nullopt;
  // In pixels, whatever each image's device pixel ratio: the result covers both, their middles on each other.
  const QSize size = background.size().expandedTo(top.size());
  QImage result(size, QImage::Format_ARGB32_Premultiplied);
  result.fill(Qt::transparent);
  const auto middled = [&](const QImage& image) {
    return QRectF(QPointF(size.width() - image.width(), size.height() - image.height()) * 0.5, QSizeF(image.size()));
  };
  {
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(middled(background), background, QRectF(background.rect()));
    painter.drawImage(middled(top), top, QRectF(top.rect()));
  }
  result.setDevicePixelRatio(background.devicePixelRatio());
  return result;
}

QImage emptyImage() {
  QImage blank(1, 1, QImage::Format_ARGB32);
  blank.fill(Qt::transparent);
  return blank;
}

std::string debugDescription(PixelFormat format) {
  const char* name = "ARGB";
  switch (format) {
    case PixelFormat::argb:
      break;
    case PixelFormat::rgba:
      name = "RGBA";
      break;
    case PixelFormat::bgra:
      name = "BGRA";
      break;
    case PixelFormat::abgr:
      name = "ABGR";
      break;
  }
  return std::string("CGImage.PixelFormat(") + name + ")";
}

std::optional<PixelFormat> pixelFormat(const QImage& image) {
  constexpr bool littleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
  switch (image.format()) {
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
      // 0xAARRGGBB in a native 32-bit word.
      return littleEndian ? PixelFormat::bgra : PixelFormat::argb;
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
      return PixelFormat::rgba;
    default:
      return std::nullopt;
  }
}

}  // namespace kit
