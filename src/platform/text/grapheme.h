#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <ranges>
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
// The character boundaries next to places in a text, found a stretch at a time and kept for the steps that follow:
// a walk of a few characters from anywhere in a long text looks at little more than it walks. Each step is given the
// text; forget() what was found once the text changes.
class CharacterSteps {
 public:
  // The boundary after the one at `offset` (the text's size at its end).
  std::size_t boundaryAfter(std::string_view text, std::size_t offset);
  // The boundary before the one at `offset` (0 at its start).
  std::size_t boundaryBefore(std::string_view text, std::size_t offset);
  void forget() { boundaries_.clear(); }

 private:
  std::vector<std::size_t> boundaries_;
};

// The characters of a text as a collection walked from the front; a walk that stops early has looked at little more
// than what it walked. The iterators belong to the view: it outlives them. One thread at a time.
class TextCharacters : public std::ranges::view_interface<TextCharacters> {
 public:
  class Iterator {
   public:
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::forward_iterator_tag;

    Iterator() = default;
    std::string_view operator*() const;
    Iterator& operator++();
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const Iterator& other) const { return offset_ == other.offset_; }

   private:
    friend class TextCharacters;
    Iterator(const TextCharacters* view, std::size_t offset) : view_(view), offset_(offset) {}

    const TextCharacters* view_ = nullptr;
    std::size_t offset_ = 0;
  };

  explicit TextCharacters(std::string_view text) : text_(text) {}
  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, text_.size()}; }

 private:
  std::string_view text_;
  mutable CharacterSteps steps_;
};

inline TextCharacters characters(std::string_view text) { return TextCharacters(text); }

// True when every character of `prefix` equals the character at the same place in `text`.
bool hasCharacterPrefix(std::string_view text, std::string_view prefix);

}  // namespace platform
