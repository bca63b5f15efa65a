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
// The character boundaries of a stretch of the text around `offset`, in order: the stretch starts and ends on
// boundaries of the whole text (or at its ends) and reaches at least `reach` bytes to either side where the text
// has them, so that a walk from one character to the next need not look at the rest of the text.
std::vector<std::size_t> graphemeBoundariesAround(std::string_view text, std::size_t offset, std::size_t reach);
// True when every character of `prefix` equals the character at the same place in `text`.
bool hasCharacterPrefix(std::string_view text, std::string_view prefix);

}  // namespace platform
