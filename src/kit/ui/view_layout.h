#pragma once

#include <QMargins>
#include <QSize>
#include <chrono>

class QWidget;

namespace kit {

// Keeps the view's four edges at the given distances inside `container` (its parent), whatever size the container
// takes. The view is moved into the container when it is elsewhere.
void constrainEdges(QWidget& view, QWidget& container, const QMargins& insets);

// Fixes the view's width and height.
void constrainSize(QWidget& view, const QSize& size);

enum class ShakeAxis { horizontal, vertical };

// Moves the view briefly to and fro along the axis (by the distance, then back, then half of it) to draw attention
// to it, and puts it back where it was. Nothing moves when the desktop asks for less motion.
void shake(QWidget& view, std::chrono::milliseconds duration, ShakeAxis axis, int distance);

}  // namespace kit
