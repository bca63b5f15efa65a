#pragma once

#include <cstddef>
#include <iterator>
#include <ranges>
#include <string_view>

#include "kit/foundation/fatal_error.h"
#include "platform/text/icu_regex.h"

namespace kit {

// True when the first link found in the text is an e-mail address that is the whole text.
bool isEmailAddress(std::string_view text);

// An opening tag, the shortest text up to a closing tag, and the closing tag, on one line: a sign that a
// plain string is HTML source.
const platform::Regex& htmlTagPairRegex();

// True when the text is empty or every character is whitespace or a line break
// (U+000A-U+000D, U+0085, U+2028, U+2029).
bool isEmptyOrWhitespaceOrNewline(std::string_view text);

// True for an empty collection, else when the predicate holds for every element (stopping at the first
// that fails).
template <class Collection, class Predicate>
bool isEmptyOrAllSatisfy(const Collection& collection, Predicate&& predicate) {
  for (const auto& element : collection) {
    if (!predicate(element)) return false;
  }
  return true;
}

// The position `offset` steps after the collection's start; the end for an offset equal to the count. An offset past
// the end is a programmer's error and stops the program.
template <std::ranges::forward_range Collection>
std::ranges::iterator_t<Collection> index(Collection& collection, std::size_t offset) {
  auto position = std::ranges::begin(collection);
  const auto missing = std::ranges::advance(position, static_cast<std::ranges::range_difference_t<Collection>>(offset),
                                            std::ranges::end(collection));
  precondition(missing == 0, "Index out of range");
  return position;
}

}  // namespace kit
