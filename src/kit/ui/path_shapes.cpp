#include "kit/ui/path_shapes.h"

#include <algorithm>

namespace kit {

QPainterPath squircle(const QRectF& rect, double cornerRadius) {
  const double r = std::min(std::min(rect.width(), rect.height()) * 0.5, cornerRadius);
  QPainterPath path;
  path.moveTo(rect.left() + r, rect.bottom());
  path.lineTo(rect.right() - r, rect.bottom());
  path.cubicTo(rect.bottomRight(), rect.bottomRight(), {rect.right(), rect.bottom() - r});
  path.lineTo(rect.right(), rect.top() + r);
  path.cubicTo(rect.topRight(), rect.topRight(), {rect.right() - r, rect.top()});
  path.lineTo(rect.left() + r, rect.top());
  path.cubicTo(rect.topLeft(), rect.topLeft(), {rect.left(), rect.top() + r});
  path.lineTo(rect.left(), rect.bottom() - r);
  path.cubicTo(rect.bottomLeft(), rect.bottomLeft(), {rect.left() + r, rect.bottom()});
  return path;
}

QPainterPath circle(double radius) {
  // Angles in degrees, counted counter-clockwise from three o'clock as seen: one turn from 90 (the top) round to -270.
  const QRectF bounds(-radius, -radius, 2 * radius, 2 * radius);
  QPainterPath path;
  path.arcMoveTo(bounds, 90);
  path.arcTo(bounds, 90, 360);
  return path;
}

}  // namespace kit
