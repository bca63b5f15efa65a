#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kit {

// True when every character is whitespace or a line break (judged by its first scalar, so a space with a combining
// mark counts); an empty text counts.
bool isEmptyOrWhitespace(std::string_view text);
// None for an empty or whitespace-only text, otherwise the text unchanged.
std::optional<std::string> nilIfEmptyOrWhitespace(std::string text);

// An optional value in a text: its printed form, else `fallback` ("nil" when none is given).
template <class T>
std::string describe(const std::optional<T>& value, std::string_view fallback = "nil");

}  // namespace kit

#include <sstream>

namespace kit {

template <class T>
std::string describe(const std::optional<T>& value, std::string_view fallback) {
  if (!value) return std::string(fallback);
  if constexpr (std::is_convertible_v<const T&, std::string_view>) {
    return std::string(std::string_view(*value));
  } else {
    std::ostringstream out;
    out << *value;
    return out.str();
  }
}

}  // namespace kit
