#include "platform/text/whitespace.h"

#include <optional>

#include "platform/text/utf8.h"

namespace platform {

bool isWhitespaceScalar(char32_t scalar) {
  return (scalar >= 0x09 && scalar <= 0x0D) || scalar == 0x20 || scalar == 0x85 || scalar == 0xA0 || scalar == 0x1680 ||
         (scalar >= 0x2000 && scalar <= 0x200A) || scalar == 0x2028 || scalar == 0x2029 || scalar == 0x202F ||
         scalar == 0x205F || scalar == 0x3000;
}

bool isNewlineScalar(char32_t scalar) {
  return (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028 || scalar == 0x2029;
}

bool isWhitespaceCharacter(std::string_view character) {
  if (character.empty()) return false;
  return isWhitespaceScalar(decodeUtf8(character, 0).scalar);
}

std::string trimmingWhitespaceAndNewlines(std::string_view text) {
  std::optional<std::size_t> start;
  std::size_t end = 0;
  for (std::size_t i = 0; i < text.size();) {
    const DecodedScalar scalar = decodeUtf8(text, i);
    if (!scalar.valid || !isWhitespaceScalar(scalar.scalar)) {
      if (!start) start = i;
      end = i + scalar.length;
    }
    i += scalar.length;
  }
  return start ? std::string(text.substr(*start, end - *start)) : std::string();
}

}  // namespace platform
