#pragma once

#include <QColor>
#include <QImage>
#include <optional>
#include <string>

class QIcon;
class QPixmap;

namespace kit {

// The image of a pixmap, or of an icon at a size; none when there is nothing to draw.
std::optional<QImage> image(const QPixmap& pixmap);
std::optional<QImage> image(const QIcon& icon, const QSize& size);

// A mask of the image's dark areas: white, opaque where the image is dark and transparent where it is light or
// transparent. None for a null image. The mask and the tinted image keep the image's device pixel ratio, so they are
// drawn as large as the image.
std::optional<QImage> invertedAlphaMask(const QImage& image);
// The colour wherever the image is dark, transparent elsewhere (through invertedAlphaMask). None for a null image.
std::optional<QImage> tinted(const QImage& image, const QColor& color);
// `top` drawn over the middle of `background`, pixel for pixel: the result is as large as both, transparent where
// neither lies, with the background's device pixel ratio. None when either is null.
std::optional<QImage> centering(const QImage& background, const QImage& top);

// A blank image of 1 × 1, fully transparent: what is drawn when there is nothing to show.
QImage emptyImage();

// The order of the four channels of a 32-bit pixel in memory.
enum class PixelFormat { argb, rgba, bgra, abgr };
// "CGImage.PixelFormat(BGRA)".
std::string debugDescription(PixelFormat format);
// The channel order of an image's pixels; none for formats that are not 8 bits per channel with alpha.
std::optional<PixelFormat> pixelFormat(const QImage& image);

}  // namespace kit
