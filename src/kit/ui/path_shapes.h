#pragma once

#include <QPainterPath>
#include <QRectF>

namespace kit {

// The outlines the progress overlays are drawn along, as seen on the screen (widget coordinates, y downwards).

// A rounded rectangle whose corners are quarter curves with both control points at the corner, the radius at most
// half the shorter side. It starts on the lower edge, `cornerRadius` in from the left, and runs counter-clockwise
// (right along the lower edge first); it is not closed.
QPainterPath squircle(const QRectF& rect, double cornerRadius);

// A full circle around (0, 0), starting at its top and running counter-clockwise.
QPainterPath circle(double radius);

}  // namespace kit
