#pragma once

#include <string_view>

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

}  // namespace kit
