#pragma once

#include <QColor>
#include <optional>

#include "kit/preferences/serializable.h"

namespace kit::Preferences {

// A colour as an archive (data): a tag naming the archived type, then the colour with its colour model and 16-bit
// components, so it reads back equal. Data that is no such archive prints one line and reads as none.
struct ColorBridge {
  using Value = QColor;
  using Stored = Data;
  static std::optional<Stored> serialize(const std::optional<QColor>& color);
  static std::optional<QColor> deserialize(const std::optional<Stored>& archive);
};

template <>
struct Serializable<QColor> {
  static constexpr bool storesNatively = false;
  using Bridge = ColorBridge;
};

}  // namespace kit::Preferences
