#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "kit/foundation/textual_description.h"

namespace kit {

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
