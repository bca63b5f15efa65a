#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/byte_range.h"

namespace platform {

// One text in both encodings, for the libraries that work in UTF-16 (ICU, the link detector,
// JavaScriptCore). Offsets convert both ways; an offset that falls inside a scalar does not convert.
// Invalid UTF-8 bytes each stand as one U+FFFD unit, so every byte offset of the text stays reachable.
class Utf16Map {
 public:
  explicit Utf16Map(std::string_view utf8);

  const std::string& utf8() const { return utf8_; }
  const std::u16string& utf16() const { return utf16_; }

  std::optional<std::size_t> utf8Offset(std::size_t utf16Offset) const;
  std::optional<std::size_t> utf16Offset(std::size_t utf8Offset) const;
  std::optional<ByteRange> byteRange(std::size_t utf16Start, std::size_t utf16End) const;

  // The UTF-8 offset of the scalar containing `utf16Offset` (rounding into a surrogate pair down).
  std::size_t utf8OffsetRoundingDown(std::size_t utf16Offset) const;
  // The UTF-8 offset after the scalar that contains the unit before `utf16Offset` (rounding up).
  std::size_t utf8OffsetRoundingUp(std::size_t utf16Offset) const;

 private:
  static constexpr uint32_t trailingUnit = 0x80000000u;

  std::string utf8_;
  std::u16string utf16_;
  bool identity_ = true;              // ASCII only: both encodings have the same offsets
  std::vector<uint32_t> unitStarts_;  // per UTF-16 unit: byte offset of its scalar; trailing surrogates flagged
};

}  // namespace platform
