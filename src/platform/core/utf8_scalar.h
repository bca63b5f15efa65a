#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

inline constexpr char32_t replacementCharacter = 0xFFFD;

// Decodes the scalar at `offset`. Returns the scalar and its length in bytes; an invalid sequence (an overlong form
// or a surrogate included) gives U+FFFD with length 1, so that every byte is consumed exactly once.
struct DecodedScalar {
  char32_t scalar;
  std::size_t length;
  bool valid;
};
DecodedScalar decodeUtf8(std::string_view text, std::size_t offset);

bool isValidUtf8(std::string_view text);
// Writes the 1 to 4 bytes of the scalar to `out`; returns how many.
std::size_t encodeUtf8(char32_t scalar, char* out);
void appendUtf8(std::string& out, char32_t scalar);

// The text with every invalid sequence replaced by U+FFFD.
std::string sanitizedUtf8(std::string_view text);

// UTF-16 and UTF-32 conversions; invalid UTF-8 becomes U+FFFD, a lone surrogate in UTF-16 too, and in UTF-32 a
// surrogate or a value beyond U+10FFFF.
std::u16string toUtf16(std::string_view text);
std::string toUtf8(std::u16string_view text);
std::string toUtf8(std::u32string_view text);
// UTF-8 in its own character type (invalid sequences become U+FFFD), and wide text, which is UTF-32 here.
std::string toUtf8(std::u8string_view text);
std::string toUtf8(std::wstring_view text);

}  // namespace platform
