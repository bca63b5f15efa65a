#include "platform/core/utf8_scalar.h"

namespace platform {

DecodedScalar decodeUtf8(std::string_view text, std::size_t offset) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(offset);
  if (first < 0x80) return {first, 1, true};
  std::size_t length;
  char32_t scalar;
  char32_t minimum;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2, scalar = first & 0x1F, minimum = 0x80;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3, scalar = first & 0x0F, minimum = 0x800;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4, scalar = first & 0x07, minimum = 0x10000;
  } else {
    return {replacementCharacter, 1, false};
  }
  if (offset + length > text.size()) return {replacementCharacter, 1, false};
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(offset + i);
    if ((next & 0xC0) != 0x80) return {replacementCharacter, 1, false};
    scalar = (scalar << 6) | (next & 0x3F);
  }
  if (scalar < minimum || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
    return {replacementCharacter, 1, false};
  }
  return {scalar, length, true};
}

}  // namespace platform
