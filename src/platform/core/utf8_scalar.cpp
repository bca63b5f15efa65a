#include "platform/core/utf8_scalar.h"

#include <cstdint>
#include <cstring>

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

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    // Eight ASCII bytes at a time.
    std::uint64_t eight;
    if (i + sizeof eight <= text.size()) {
      std::memcpy(&eight, text.data() + i, sizeof eight);
      if ((eight & 0x8080808080808080u) == 0) {
        i += sizeof eight;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const auto decoded = decodeUtf8(text, i);
    if (!decoded.valid) return false;
    i += decoded.length;
  }
  return true;
}

std::size_t encodeUtf8(char32_t scalar, char* out) {
  if (scalar < 0x80) {
    out[0] = static_cast<char>(scalar);
    return 1;
  }
  if (scalar < 0x800) {
    out[0] = static_cast<char>(0xC0 | (scalar >> 6));
    out[1] = static_cast<char>(0x80 | (scalar & 0x3F));
    return 2;
  }
  if (scalar < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (scalar >> 12));
    out[1] = static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (scalar & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (scalar >> 18));
  out[1] = static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (scalar & 0x3F));
  return 4;
}

void appendUtf8(std::string& out, char32_t scalar) {
  char bytes[4];
  out.append(bytes, encodeUtf8(scalar, bytes));
}

std::string sanitizedUtf8(std::string_view text) {
  if (isValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    const auto decoded = decodeUtf8(text, i);
    if (decoded.valid) {
      out.append(text.substr(i, decoded.length));
    } else {
      appendUtf8(out, replacementCharacter);
    }
    i += decoded.length;
  }
  return out;
}

std::u16string toUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char first = static_cast<unsigned char>(text[i]);
    if (first < 0x80) {
      out.push_back(first);
      ++i;
      continue;
    }
    const auto decoded = decodeUtf8(text, i);
    i += decoded.length;
    if (decoded.scalar >= 0x10000) {
      const char32_t v = decoded.scalar - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(decoded.scalar));
    }
  }
  return out;
}

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      unit = replacementCharacter;
    }
    appendUtf8(out, unit);
  }
  return out;
}

std::string toUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t scalar : text) {
    const bool valid = scalar <= 0x10FFFF && (scalar < 0xD800 || scalar > 0xDFFF);
    appendUtf8(out, valid ? scalar : replacementCharacter);
  }
  return out;
}

std::string toUtf8(std::u8string_view text) {
  return sanitizedUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

// Wide characters are UTF-32 on Linux.
static_assert(sizeof(wchar_t) == sizeof(char32_t));
std::string toUtf8(std::wstring_view text) { return toUtf8(std::u32string(text.begin(), text.end())); }

}  // namespace platform
