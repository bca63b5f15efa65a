#include "platform/url/percent_encoding.h"

#include <unicode/utf8.h>

#include "platform/core/ascii.h"

namespace platform {

namespace {
constexpr char hexDigits[] = "0123456789ABCDEF";

void appendEscaped(std::string& out, unsigned char byte) {
  out.push_back('%');
  out.push_back(hexDigits[byte >> 4]);
  out.push_back(hexDigits[byte & 0x0F]);
}
}  // namespace

std::string addingPercentEncoding(std::string_view text, const CharacterPredicate& allowed) {
  std::string out;
  out.reserve(text.size());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    const int32_t start = i;
    UChar32 scalar;
    U8_NEXT(text.data(), i, length, scalar);
    if (scalar >= 0 && allowed(static_cast<char32_t>(scalar))) {
      out.append(text.substr(start, i - start));
    } else {
      for (int32_t b = start; b < i; ++b) appendEscaped(out, static_cast<unsigned char>(text[b]));
    }
  }
  return out;
}

std::optional<std::string> percentDecodedBytes(std::string_view text) {
  if (text.find('%') == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = hexDigitValue(text[i + 1]);
    const int low = hexDigitValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

std::optional<std::string> removingPercentEncoding(std::string_view text) {
  auto bytes = percentDecodedBytes(text);
  if (!bytes) return std::nullopt;
  const auto length = static_cast<int32_t>(bytes->size());
  for (int32_t i = 0; i < length;) {
    UChar32 scalar;
    U8_NEXT(bytes->data(), i, length, scalar);
    if (scalar < 0) return std::nullopt;
  }
  return bytes;
}

bool isUnreserved(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

bool isSubDelimiter(char32_t c) {
  switch (c) {
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
      return true;
    default:
      return false;
  }
}

bool isUrlPathAllowed(char32_t c) { return isUnreserved(c) || isSubDelimiter(c) || c == ':' || c == '@' || c == '/'; }
bool isUrlQueryAllowed(char32_t c) { return isUrlPathAllowed(c) || c == '?'; }
bool isUrlFragmentAllowed(char32_t c) { return isUrlQueryAllowed(c); }
bool isUrlHostAllowed(char32_t c) { return isUnreserved(c) || isSubDelimiter(c); }
bool isUrlUserAllowed(char32_t c) { return isUnreserved(c) || isSubDelimiter(c); }
bool isUrlPasswordAllowed(char32_t c) { return isUnreserved(c) || isSubDelimiter(c) || c == ':'; }
bool isQueryItemAllowed(char32_t c) { return isUrlQueryAllowed(c) && c != '&' && c != '='; }

}  // namespace platform
