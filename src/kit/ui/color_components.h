#pragma once

#include <QColor>

namespace kit {

struct HSBAComponents {
  double hue = 0, saturation = 0, brightness = 0, alpha = 0;
};

// Hue, saturation, brightness and alpha, each from 0 to 1 (a grey has hue 0). An invalid colour has none: that
// is reported and reads as four zeros.
HSBAComponents hsbaComponents(const QColor& color);

// The colour with each component multiplied by (1 + its change): a change of 0 keeps a component, -0.3 lowers it
// by 30 percent. Saturation, brightness and alpha stay within 0 to 1 and the hue wraps around the colour circle.
QColor adjusting(const QColor& color, double hue, double saturation, double brightness, double alpha);

}  // namespace kit
