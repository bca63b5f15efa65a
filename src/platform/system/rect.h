#pragma once

namespace platform {

// A rectangle in root-window pixels (origin at the top left).
struct Rect {
  double x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

struct PointF {
  double x = 0, y = 0;
  bool operator==(const PointF&) const = default;
};

}  // namespace platform
