#include "kit/foundation/timing_curves.h"

#include <QPointF>

namespace kit {

namespace {

QEasingCurve cubicBezier(double x1, double y1, double x2, double y2) {
  QEasingCurve curve(QEasingCurve::BezierSpline);
  curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
  return curve;
}

}  // namespace

const QEasingCurve& defaultTimingCurve() {
  static const QEasingCurve curve = cubicBezier(0.25, 0.1, 0.25, 1.0);
  return curve;
}

const QEasingCurve& easeInOutTimingCurve() {
  static const QEasingCurve curve = cubicBezier(0.42, 0.0, 0.58, 1.0);
  return curve;
}

}  // namespace kit
