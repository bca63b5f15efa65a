#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/utf8_scalar.h"

namespace platform {

bool isValidUtf8(std::string_view text);
// The longest start of the text of at most `limit` bytes that splits no UTF-8 sequence.
std::string_view utf8Prefix(std::string_view text, std::size_t limit);
// The text with every invalid sequence replaced by U+FFFD.
std::string sanitizedUtf8(std::string_view text);
void appendUtf8(std::string& out, char32_t scalar);
// Writes the 1 to 4 bytes of the scalar to `out`; returns how many.
std::size_t encodeUtf8(char32_t scalar, char* out);

// UTF-16 conversions; invalid UTF-8 becomes U+FFFD, a lone surrogate in UTF-16 too.
std::u16string toUtf16(std::string_view text);
std::string toUtf8(std::u16string_view text);

}  // namespace platform
