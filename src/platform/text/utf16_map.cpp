#include "platform/text/utf16_map.h"

#include <algorithm>

#include "platform/core/ascii.h"
#include "platform/text/utf8.h"

namespace platform {

Utf16Map::Utf16Map(std::string_view utf8) : utf8_(utf8) {
  identity_ = isAscii(utf8);
  if (identity_) {
    utf16_.assign(utf8.begin(), utf8.end());
    return;
  }
  // No scalar takes more UTF-16 units than UTF-8 bytes.
  utf16_.resize(utf8.size());
  unitStarts_.resize(utf8.size() + 1);
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      utf16_[units] = byte;
      unitStarts_[units++] = static_cast<uint32_t>(i++);
      continue;
    }
    const auto decoded = decodeUtf8(utf8, i);
    const auto start = static_cast<uint32_t>(i);
    if (decoded.scalar >= 0x10000) {
      const char32_t v = decoded.scalar - 0x10000;
      utf16_[units] = static_cast<char16_t>(0xD800 + (v >> 10));
      unitStarts_[units++] = start;
      utf16_[units] = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
      unitStarts_[units++] = start | trailingUnit;
    } else {
      utf16_[units] = static_cast<char16_t>(decoded.scalar);
      unitStarts_[units++] = start;
    }
    i += decoded.length;
  }
  utf16_.resize(units);
  unitStarts_[units] = static_cast<uint32_t>(utf8.size());
  unitStarts_.resize(units + 1);
}

std::optional<std::size_t> Utf16Map::utf8Offset(std::size_t utf16Offset) const {
  if (utf16Offset > utf16_.size()) return std::nullopt;
  if (identity_) return utf16Offset;
  const uint32_t entry = unitStarts_[utf16Offset];
  if (entry & trailingUnit) return std::nullopt;
  return entry;
}

std::optional<std::size_t> Utf16Map::utf16Offset(std::size_t utf8Offset) const {
  if (utf8Offset > utf8_.size()) return std::nullopt;
  if (identity_) return utf8Offset;
  const auto it = std::lower_bound(unitStarts_.begin(), unitStarts_.end(), static_cast<uint32_t>(utf8Offset),
                                   [](uint32_t entry, uint32_t value) { return (entry & ~trailingUnit) < value; });
  if (it == unitStarts_.end() || (*it & ~trailingUnit) != utf8Offset || (*it & trailingUnit)) return std::nullopt;
  return static_cast<std::size_t>(it - unitStarts_.begin());
}

std::optional<ByteRange> Utf16Map::byteRange(std::size_t utf16Start, std::size_t utf16End) const {
  if (utf16Start > utf16End) return std::nullopt;
  const auto start = utf8Offset(utf16Start);
  const auto end = utf8Offset(utf16End);
  if (!start || !end) return std::nullopt;
  return ByteRange::fromBounds(*start, *end);
}

std::size_t Utf16Map::utf8OffsetRoundingDown(std::size_t utf16Offset) const {
  utf16Offset = std::min(utf16Offset, utf16_.size());
  if (identity_) return utf16Offset;
  return unitStarts_[utf16Offset] & ~trailingUnit;
}

std::size_t Utf16Map::utf8OffsetRoundingUp(std::size_t utf16Offset) const {
  utf16Offset = std::min(utf16Offset, utf16_.size());
  if (identity_) return utf16Offset;
  while (unitStarts_[utf16Offset] & trailingUnit) ++utf16Offset;
  return unitStarts_[utf16Offset];
}

}  // namespace platform
