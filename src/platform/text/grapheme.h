#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/text/byte_range.h"

namespace platform {

// "Characters" are extended grapheme clusters (ICU's character break iterator). Offsets are bytes of
// UTF-8 text; invalid bytes count as one character each.

// True for ASCII text without CR LF: every byte is then one character.
bool isSingleByteCharacters(std::string_view text);

// Every character boundary of the text, from 0 to its size.
std::vector<std::size_t> graphemeBoundaries(std::string_view text);
// The characters of the text, in order.
std::vector<std::string_view> graphemes(std::string_view text);
// The number of characters; with a limit, counting stops there (the result is then at most `limit`).
std::size_t graphemeCount(std::string_view text, std::optional<std::size_t> limit = std::nullopt);
// The range widened to whole characters: the start moves back and the end forward to the nearest boundary.
ByteRange rangeOfComposedCharacterSequences(std::string_view text, ByteRange range);
// True when every character of `prefix` equals the character at the same place in `text`.
bool hasCharacterPrefix(std::string_view text, std::string_view prefix);

// The White_Space property of a scalar (U+0009-U+000D, U+0020, U+0085, U+00A0, U+1680, U+2000-U+200A,
// U+2028, U+2029, U+202F, U+205F, U+3000).
bool isWhitespaceScalar(char32_t scalar);
// U+000A-U+000D, U+0085, U+2028, U+2029.
bool isNewlineScalar(char32_t scalar);
// A character is whitespace when its first scalar is (so CR LF, and a space with a combining mark, are).
bool isWhitespaceCharacter(std::string_view character);

}  // namespace platform
