#include "platform/url/percent_encoding.h"

#include "platform/text/utf8.h"

namespace platform {

namespace {
constexpr char hexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendEscaped(std::string& out, unsigned char byte) {
  out.push_back('%');
  out.push_back(hexDigits[byte >> 4]);
  out.push_back(hexDigits[byte & 0x0F]);
}
}  // namespace

bool isHexDigit(char c) { return hexValue(c) >= 0; }

std::string addingPercentEncoding(std::string_view text, const CharacterPredicate& allowed) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto decoded = decodeUtf8(text, i);
    if (decoded.valid && allowed(decoded.scalar)) {
      out.append(text.substr(i, decoded.length));
    } else {
      for (std::size_t b = 0; b < decoded.length; ++b) appendEscaped(out, static_cast<unsigned char>(text[i + b]));
    }
    i += decoded.length;
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
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

std::optional<std::string> removingPercentEncoding(std::string_view text) {
  auto bytes = percentDecodedBytes(text);
  if (!bytes || !isValidUtf8(*bytes)) return std::nullopt;
  return bytes;
}

bool isUnreserved(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

bool isSubDelimiter(char32_t c) {
  switch (c) {
    case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+': case ',': case ';': case '=':
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
