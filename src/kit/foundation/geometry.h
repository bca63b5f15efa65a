#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "kit/foundation/hashing.h"

namespace kit {

// The size of width 1 and height 1 that view scaling starts from.
inline const QSizeF unitSize(1, 1);

// Feeds one coordinate: both zeros as 0, every other value as its bit pattern.
inline void hashCoordinate(std::size_t& seed, double value) {
  uint64_t bits = 0;
  if (value != 0) std::memcpy(&bits, &value, sizeof bits);
  hashCombine(seed, std::hash<uint64_t>()(bits));
}

// The partial order of sizes: smaller in both dimensions. Not a strict weak order, so it is not operator<.
inline bool smallerInBothDimensions(const QSizeF& a, const QSizeF& b) {
  return a.width() < b.width() && a.height() < b.height();
}

inline std::optional<QSizeF> nilIfZero(const QSizeF& size) {
  if (size.width() == 0 && size.height() == 0) return std::nullopt;
  return size;
}
inline std::optional<QPointF> nilIfZero(const QPointF& point) {
  if (point.x() == 0 && point.y() == 0) return std::nullopt;
  return point;
}
inline std::optional<QRectF> nilIfZero(const QRectF& rect) {
  if (rect.x() == 0 && rect.y() == 0 && rect.width() == 0 && rect.height() == 0) return std::nullopt;
  return rect;
}

// "1920×1080", "0.5×2": whole numbers without a fraction, others in their shortest form.
std::string formattedDescription(const QSizeF& size);

// Exact hashing that agrees with exact equality (Qt's own == on these types is fuzzy).
struct GeometryHash {
  std::size_t operator()(const QSizeF& size) const {
    std::size_t seed = 0;
    hashCoordinate(seed, size.width());
    hashCoordinate(seed, size.height());
    return seed;
  }
  std::size_t operator()(const QPointF& point) const {
    std::size_t seed = 0;
    hashCoordinate(seed, point.x());
    hashCoordinate(seed, point.y());
    return seed;
  }
  std::size_t operator()(const QRectF& rect) const {
    std::size_t seed = 0;
    hashCoordinate(seed, rect.x());
    hashCoordinate(seed, rect.y());
    hashCoordinate(seed, rect.width());
    hashCoordinate(seed, rect.height());
    return seed;
  }
};

// Exact component equality to go with GeometryHash.
struct GeometryEqual {
  bool operator()(const QSizeF& a, const QSizeF& b) const { return a.width() == b.width() && a.height() == b.height(); }
  bool operator()(const QPointF& a, const QPointF& b) const { return a.x() == b.x() && a.y() == b.y(); }
  bool operator()(const QRectF& a, const QRectF& b) const {
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
  }
};

}  // namespace kit
