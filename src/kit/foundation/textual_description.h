#pragma once

// A value's standard textual form: the one rule by which the kit prints values.
//
// `describing(value)` is the plain form a program prints, `reflecting(value)` the form a debugger shows. They differ
// in texts, which the debugger's form puts between double quotes with escapes, and in types that describe themselves
// twice (a debugDescription() beside their description()). Otherwise both print:
// - Booleans as true or false; integers in decimal (8-bit ones too); floating-point numbers in the shortest form that
//   reads back as the same number, with a point ("1.0", "0.30000000000000004", "1234567.0");
// - an optional as Optional(<its value, reflected>) or nil; a variant as the value it holds;
// - a type by its own description() (a member, or a free function found with the type), else its operator<<, else
//   its debugDescription(); the debugger's form takes the debugDescription() first;
// - maps as ["key": value] ([:] when empty), other sequences as [a, b], pairs and tuples as (a, b), their elements
//   reflected.
// Types that fit none of these are not Describable.

#include <charconv>
#include <concepts>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <ranges>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

#include "kit/foundation/is_optional.h"
#include "platform/core/decimal_text.h"

namespace kit {

namespace textual {

template <class T>
inline constexpr bool isVariant = false;
template <class... T>
inline constexpr bool isVariant<std::variant<T...>> = true;

template <class T>
inline constexpr bool isTuple = false;
template <class A, class B>
inline constexpr bool isTuple<std::pair<A, B>> = true;
template <class... T>
inline constexpr bool isTuple<std::tuple<T...>> = true;

template <class T>
concept Text = std::is_convertible_v<const T&, std::string_view> && !std::is_same_v<T, std::nullptr_t>;

template <class T>
concept Nil =
    std::is_same_v<T, std::nullopt_t> || std::is_same_v<T, std::nullptr_t> || std::is_same_v<T, std::monostate>;

template <class T>
concept Number = std::is_arithmetic_v<T>;

template <class T>
concept OwnDescription = requires(const T& value) {
  { value.description() } -> std::convertible_to<std::string>;
};
template <class T>
concept OwnDebugDescription = requires(const T& value) {
  { value.debugDescription() } -> std::convertible_to<std::string>;
};
template <class T>
concept FreeDescription = requires(const T& value) {
  { description(value) } -> std::convertible_to<std::string>;
};
template <class T>
concept FreeDebugDescription = requires(const T& value) {
  { debugDescription(value) } -> std::convertible_to<std::string>;
};
template <class T>
concept Streamed = requires(std::ostream& out, const T& value) {
  out << value;
};

template <class T>
concept Map = std::ranges::input_range<const T> && isTuple<std::ranges::range_value_t<const T>> && requires {
  typename T::key_type;
  typename T::mapped_type;
};

template <class T>
consteval bool describable();

// Whether every value a variant, pair or tuple holds is describable.
template <class T>
struct Parts;
template <template <class...> class Holder, class... T>
struct Parts<Holder<T...>> {
  static consteval bool describable() { return (textual::describable<std::remove_cvref_t<T>>() && ...); }
};

template <class T>
consteval bool describable() {
  if constexpr (Text<T> || Nil<T> || Number<T> || std::is_same_v<T, std::filesystem::path>) {
    return true;
  } else if constexpr (isOptional<T>) {
    return describable<typename T::value_type>();
  } else if constexpr (isVariant<T>) {
    return Parts<T>::describable();
  } else if constexpr (OwnDescription<T> || OwnDebugDescription<T> || FreeDescription<T> || FreeDebugDescription<T> ||
                       Streamed<T>) {
    return true;
  } else if constexpr (Map<T>) {
    return describable<std::remove_cv_t<typename T::key_type>>() && describable<typename T::mapped_type>();
  } else if constexpr (std::ranges::input_range<const T>) {
    return describable<std::remove_cvref_t<std::ranges::range_value_t<const T>>>();
  } else if constexpr (isTuple<T>) {
    return Parts<T>::describable();
  } else {
    return false;
  }
}

}  // namespace textual

// A value that the rule above prints.
template <class T>
concept Describable = textual::describable<std::remove_cvref_t<T>>();

template <Describable T>
std::string describing(const T& value);
template <Describable T>
std::string reflecting(const T& value);
// Appends the value's form to `out`, sparing the copy of a text of its own.
template <Describable T>
void appendDescribing(std::string& out, const T& value);
template <Describable T>
void appendReflecting(std::string& out, const T& value);

// The text a value holds when it can be taken as a text: a text, or a variant or type-erased value (text()) that
// holds one. None for every other value.
template <class T>
std::optional<std::string_view> asText(const T& value);

// A text between double quotes, with the escapes a debugger shows: \" \\ \n \t \r \0, and \u{1B} for other control
// characters.
void appendQuoted(std::string& out, std::string_view text);

namespace textual {

enum class Form { plain, debug };

template <class T>
std::string_view textView(const T& value) {
  if constexpr (std::is_pointer_v<T>) {
    if (value == nullptr) return {};
  }
  return std::string_view(value);
}

template <Form form>
void appendText(std::string& out, std::string_view text) {
  if constexpr (form == Form::debug)
    appendQuoted(out, text);
  else
    out += text;
}

template <class T>
void appendNumber(std::string& out, T value) {
  if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
    out += platform::decimalText(value);
  } else if constexpr (std::is_floating_point_v<T>) {
    out += platform::decimalText(static_cast<double>(value));
  } else {
    using Wide = std::conditional_t<std::is_signed_v<T>, long long, unsigned long long>;
    char buffer[24];  // the longest 64-bit integer with its sign
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, static_cast<Wide>(value)).ptr);
  }
}

template <Form form, class T>
void append(std::string& out, const T& value);

template <class Range, class Render>
void appendJoined(std::string& out, const Range& range, Render render) {
  bool first = true;
  for (auto&& element : range) {
    if (!first) out += ", ";
    first = false;
    render(element);
  }
}

template <class Range>
void appendElement(std::string& out, std::ranges::range_reference_t<const Range> element) {
  using Reference = std::ranges::range_reference_t<const Range>;
  using Value = std::ranges::range_value_t<const Range>;
  // A proxy (the bits of a vector<bool>) prints as the value it stands for.
  if constexpr (!std::is_reference_v<Reference> && !isTuple<std::remove_cvref_t<Reference>> &&
                std::is_convertible_v<Reference, Value>)
    append<Form::debug>(out, static_cast<Value>(element));
  else
    append<Form::debug>(out, element);
}

template <Form form, class T>
void append(std::string& out, const T& value) {
  using V = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<V, std::filesystem::path>) {
    appendText<form>(out, value.native());
  } else if constexpr (Text<V>) {
    appendText<form>(out, textView(value));
  } else if constexpr (std::is_same_v<V, bool>) {
    out += value ? "true" : "false";
  } else if constexpr (std::is_same_v<V, char>) {
    appendText<form>(out, std::string_view(&value, 1));
  } else if constexpr (Number<V>) {
    appendNumber(out, value);
  } else if constexpr (Nil<V>) {
    out += "nil";
  } else if constexpr (isOptional<V>) {
    if (!value) {
      out += "nil";
    } else {
      out += "Optional(";
      append<Form::debug>(out, *value);
      out += ')';
    }
  } else if constexpr (isVariant<V>) {
    if (value.valueless_by_exception())
      out += "nil";
    else
      std::visit([&](const auto& held) { append<form>(out, held); }, value);
  } else if constexpr (form == Form::debug && OwnDebugDescription<V>) {
    out += value.debugDescription();
  } else if constexpr (form == Form::debug && FreeDebugDescription<V>) {
    out += debugDescription(value);
  } else if constexpr (OwnDescription<V>) {
    out += value.description();
  } else if constexpr (FreeDescription<V>) {
    out += description(value);
  } else if constexpr (Streamed<V>) {
    std::ostringstream stream;
    stream << value;
    out += stream.str();
  } else if constexpr (OwnDebugDescription<V>) {
    out += value.debugDescription();
  } else if constexpr (FreeDebugDescription<V>) {
    out += debugDescription(value);
  } else if constexpr (Map<V>) {
    if (std::ranges::empty(value)) {
      out += "[:]";
      return;
    }
    out += '[';
    appendJoined(out, value, [&](const auto& entry) {
      const auto& [key, mapped] = entry;
      append<Form::debug>(out, key);
      out += ": ";
      append<Form::debug>(out, mapped);
    });
    out += ']';
  } else if constexpr (std::ranges::input_range<const V>) {
    out += '[';
    appendJoined(out, value, [&](auto&& element) { appendElement<V>(out, element); });
    out += ']';
  } else {
    static_assert(isTuple<V>);
    out += '(';
    std::apply(
        [&](const auto&... elements) {
          bool first = true;
          ((out += first ? "" : ", ", first = false, append<Form::debug>(out, elements)), ...);
        },
        value);
    out += ')';
  }
}

}  // namespace textual

template <Describable T>
void appendDescribing(std::string& out, const T& value) {
  textual::append<textual::Form::plain>(out, value);
}

template <Describable T>
void appendReflecting(std::string& out, const T& value) {
  textual::append<textual::Form::debug>(out, value);
}

template <Describable T>
std::string describing(const T& value) {
  std::string out;
  appendDescribing(out, value);
  return out;
}

template <Describable T>
std::string reflecting(const T& value) {
  std::string out;
  appendReflecting(out, value);
  return out;
}

template <class T>
std::optional<std::string_view> asText(const T& value) {
  using V = std::remove_cvref_t<T>;
  if constexpr (textual::Text<V>) {
    return textual::textView(value);
  } else if constexpr (textual::isVariant<V>) {
    if (value.valueless_by_exception()) return std::nullopt;
    return std::visit([](const auto& held) { return asText(held); }, value);
  } else if constexpr (requires {
                         { value.text() } -> std::convertible_to<std::optional<std::string_view>>;
                       }) {
    return value.text();
  } else {
    return std::nullopt;
  }
}

}  // namespace kit
