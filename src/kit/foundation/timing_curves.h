#pragma once

#include <QEasingCurve>

namespace kit {

// The two pacing curves of the kit's animations, each made once and shared: the default curve (a cubic Bézier
// through (0.25, 0.1) and (0.25, 1)) and the ease-in-ease-out curve (through (0.42, 0) and (0.58, 1)).
const QEasingCurve& defaultTimingCurve();
const QEasingCurve& easeInOutTimingCurve();

}  // namespace kit
