#include "kit/ui/color_components.h"

#include <algorithm>
#include <cmath>

#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"

namespace kit {

HSBAComponents hsbaComponents(const QColor& color) {
  if (!color.isValid()) {
    ZvApp::reportError(GeneralError("Unsupported color space: <Unknown>"));
    return {};
  }
  float hue = 0, saturation = 0, brightness = 0, alpha = 0;
  color.toHsv().getHsvF(&hue, &saturation, &brightness, &alpha);
  return {std::max(0.0, static_cast<double>(hue)), saturation, brightness, alpha};
}

QColor adjusting(const QColor& color, double hue, double saturation, double brightness, double alpha) {
  const HSBAComponents c = hsbaComponents(color);
  const auto unit = [](double value) { return std::clamp(value, 0.0, 1.0); };
  double newHue = std::fmod(c.hue * (1 + hue), 1.0);
  if (newHue < 0) newHue += 1;
  return QColor::fromHsvF(static_cast<float>(newHue), static_cast<float>(unit(c.saturation * (1 + saturation))),
                          static_cast<float>(unit(c.brightness * (1 + brightness))),
                          static_cast<float>(unit(c.alpha * (1 + alpha))))
      .toRgb();
}

}  // namespace kit
