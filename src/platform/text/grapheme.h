#pragma once

#include <cstddef>
#include <functional>
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
// The end of the text's leading run of characters that satisfy `predicate`, and the start of its trailing run;
// only the characters of the run and a few around it are looked at.
std::size_t endOfLeadingCharacters(std::string_view text, const std::function<bool(std::string_view)>& predicate);
std::size_t startOfTrailingCharacters(std::string_view text, const std::function<bool(std::string_view)>& predicate);
// True when every character of `prefix` equals the character at the same place in `text`.
bool hasCharacterPrefix(std::string_view text, std::string_view prefix);

}  // namespace platform
