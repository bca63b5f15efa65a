#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <string_view>

#include "kit/foundation/textual_description.h"
#include "platform/core/utf8_scalar.h"

namespace kit {

// The character types, whose literals ('a', U'é') are text of one character rather than numbers.
template <class C>
concept CharacterType = std::same_as<C, char> || std::same_as<C, wchar_t> || std::same_as<C, char8_t> ||
    std::same_as<C, char16_t> || std::same_as<C, char32_t>;

// Text of any character type in UTF-8; a code unit that is no character becomes U+FFFD (plain chars are taken as
// they are).
template <CharacterType C>
std::string utf8Text(std::basic_string_view<C> text) {
  if constexpr (std::same_as<C, char>)
    return std::string(text);
  else
    return platform::toUtf8(text);
}

// True when every character is whitespace or a line break (judged by its first scalar, so a space with a combining
// mark counts); an empty text counts.
bool isEmptyOrWhitespace(std::string_view text);
// None for an empty or whitespace-only text, otherwise the text unchanged.
std::optional<std::string> nilIfEmptyOrWhitespace(std::string text);

// An optional value in a text: its standard textual form, else `fallback` ("nil" when none is given).
template <Describable T>
std::string describe(const std::optional<T>& value, std::string_view fallback = "nil") {
  return value ? describing(*value) : std::string(fallback);
}

}  // namespace kit
