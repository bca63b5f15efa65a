#include "kit/foundation/text_helpers.h"

#include <cstdint>

namespace kit {
namespace {

// Decodes the UTF-8 sequence at `i`; an invalid byte counts as one character that is not whitespace.
char32_t decodeAt(std::string_view text, size_t i, size_t& length) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  length = 1;
  if (lead < 0x80) return lead;
  size_t count = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (count == 0 || i + count > text.size()) return 0xFFFD;
  char32_t value = lead & (0x7F >> count);
  for (size_t k = 1; k < count; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0xFFFD;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  length = count;
  return value;
}

bool isWhitespace(char32_t c) {
  switch (c) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

}  // namespace

bool isEmptyOrWhitespace(std::string_view text) {
  for (size_t i = 0, length = 0; i < text.size(); i += length) {
    if (!isWhitespace(decodeAt(text, i, length))) return false;
  }
  return true;
}

std::optional<std::string> nilIfEmptyOrWhitespace(std::string text) {
  if (isEmptyOrWhitespace(text)) return std::nullopt;
  return text;
}

std::string trimmingWhitespaceAndNewlines(std::string_view text) {
  size_t start = 0, end = 0;
  bool found = false;
  for (size_t i = 0, length = 0; i < text.size(); i += length) {
    if (!isWhitespace(decodeAt(text, i, length))) {
      if (!found) start = i;
      found = true;
      end = i + length;
    }
  }
  return found ? std::string(text.substr(start, end - start)) : std::string();
}

}  // namespace kit
