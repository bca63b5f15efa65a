#pragma once

#include <string>
#include <string_view>

namespace platform {

// The one whitespace table of the program: the Unicode White_Space property (U+0009-U+000D, U+0020, U+0085,
// U+00A0, U+1680, U+2000-U+200A, U+2028, U+2029, U+202F, U+205F, U+3000).
bool isWhitespaceScalar(char32_t scalar);
// The line breaks among them: U+000A-U+000D, U+0085, U+2028, U+2029.
bool isNewlineScalar(char32_t scalar);
// Whether a character (a grapheme cluster) is whitespace: its first scalar decides, so CR LF and a space with a
// combining mark are. Empty text is not a character, nor whitespace.
bool isWhitespaceCharacter(std::string_view character);

// The text without whitespace scalars at either end. Invalid UTF-8 is never whitespace and stays.
std::string trimmingWhitespaceAndNewlines(std::string_view text);

}  // namespace platform
