#include "platform/text/html_input_encoding.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/core/ascii.h"
#include "platform/text/utf8.h"

namespace platform {

namespace {

std::string utf16AsUtf8(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto a = static_cast<unsigned char>(bytes[i]);
    auto b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  return toUtf8(units);
}

// The charset named by a <meta charset> or <meta http-equiv content="...; charset=..."> near the start.
std::string declaredCharset(std::string_view data) {
  const std::string head = asciiLowercased(data.substr(0, 4096));
  size_t at = 0;
  while ((at = head.find("charset", at)) != std::string::npos) {
    size_t i = at + 7;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t')) ++i;
    if (i < head.size() && head[i] == '=') {
      ++i;
      while (i < head.size() && (head[i] == ' ' || head[i] == '"' || head[i] == '\'')) ++i;
      size_t end = i;
      while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '-' ||
                                   head[end] == '_' || head[end] == ':' || head[end] == '.')) {
        ++end;
      }
      if (end > i) return head.substr(i, end - i);
    }
    at = i;
  }
  return {};
}

std::optional<std::string> convert(std::string_view data, const std::string& charset) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(charset.c_str(), &status);
  if (U_FAILURE(status) || converter == nullptr) return std::nullopt;
  std::u16string units(data.size() + 1, u'\0');
  status = U_ZERO_ERROR;
  int32_t length = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()), data.data(),
                                 static_cast<int32_t>(data.size()), &status);
  ucnv_close(converter);
  if (U_FAILURE(status)) return std::nullopt;
  units.resize(static_cast<size_t>(length));
  return toUtf8(units);
}

}  // namespace

std::string_view htmlInputAsUtf8(std::string_view data, std::string& storage) {
  if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFF && static_cast<unsigned char>(data[1]) == 0xFE) {
    return storage = utf16AsUtf8(data.substr(2), false);
  }
  if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFE && static_cast<unsigned char>(data[1]) == 0xFF) {
    return storage = utf16AsUtf8(data.substr(2), true);
  }
  if (data.starts_with("\xEF\xBB\xBF")) data.remove_prefix(3);
  if (isValidUtf8(data)) return data;
  std::string charset = declaredCharset(data);
  if (!charset.empty() && charset != "utf-8" && charset != "utf8") {
    if (std::optional<std::string> converted = convert(data, charset)) return storage = std::move(*converted);
  }
  return storage = sanitizedUtf8(data);
}

}  // namespace platform
