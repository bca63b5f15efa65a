#pragma once

#include <QEasingCurve>
#include <QMargins>
#include <QSize>
#include <array>
#include <chrono>

class QWidget;

namespace kit {

// Keeps the view's four edges at the given distances inside `other`'s, whatever size and place `other` takes: inside
// its parent, or over another widget (a sibling, say) whose moves and resizes it follows. A view without a parent is
// placed in `other`. A later call replaces the earlier one.
void constrainEdges(QWidget& view, QWidget& other, const QMargins& insets);

// Fixes the view's width and height.
void constrainSize(QWidget& view, const QSize& size);

enum class ShakeAxis { horizontal, vertical };

// Moves the view briefly to and fro along the axis (by the distance, then back, then half of it) to draw attention
// to it, and puts it back where it was. Nothing moves when the desktop asks for less motion.
void shake(QWidget& view, std::chrono::milliseconds duration, ShakeAxis axis, int distance);

// The offsets along the axis that a shake passes through, at equal steps of its progress: -d, d, -d/2, d/2, 0.
std::array<double, 5> shakeOffsets(double distance);
// The pace of a shake: its progress at each moment of its duration, on the ease-in-ease-out curve.
const QEasingCurve& shakeTimingCurve();
// The moments, as fractions of the duration, at which a shake reaches each of its offsets.
std::array<double, 5> shakeKeyTimes();

}  // namespace kit
