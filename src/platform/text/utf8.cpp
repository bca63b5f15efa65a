#include "platform/text/utf8.h"

namespace platform {

std::string_view utf8Prefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
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

}  // namespace platform
