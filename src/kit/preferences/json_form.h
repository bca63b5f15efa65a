#pragma once

#include <charconv>
#include <chrono>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <iterator>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "kit/foundation/json_coding.h"
#include "platform/prefs/plist_value.h"

namespace kit::Preferences {

using Json = nlohmann::json;

// Thrown by JsonCodec<T>::encode for values that have no JSON form (non-finite numbers).
struct JsonEncodingError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// How a value type is written as JSON and read back. Reading is strict: a number is not a Bool, a
// fractional number not an integer. Specialise it to store another type through the JSON bridges.
template <class T, class = void>
struct JsonCodec;

// A type with a JSON form. A container has one when its elements have one.
template <class T>
concept JsonCodable = requires(const T& v, const Json& j) {
  { JsonCodec<T>::encode(v) } -> std::convertible_to<Json>;
  { JsonCodec<T>::decode(j) } -> std::same_as<std::optional<T>>;
};

template <>
struct JsonCodec<bool> {
  static Json encode(bool v) { return v; }
  static std::optional<bool> decode(const Json& j) {
    if (!j.is_boolean()) return std::nullopt;
    return j.get<bool>();
  }
};

template <std::integral T>
requires(!std::same_as<T, bool>) struct JsonCodec<T> {
  static Json encode(T v) { return v; }
  static std::optional<T> decode(const Json& j) {
    // "42.0" is an integer too, "42.5" is not
    if (!j.is_number() || !kit::fitsExactly<T>(j)) return std::nullopt;
    return j.get<T>();
  }
};

template <std::floating_point T>
struct JsonCodec<T> {
  static Json encode(T v) {
    if (!std::isfinite(v)) throw JsonEncodingError("Unable to encode " + std::to_string(v) + " directly in JSON.");
    return kit::encodeJson(v);  // a float as its own shortest text: 0.1f as 0.1
  }
  static std::optional<T> decode(const Json& j) {
    if (!j.is_number()) return std::nullopt;
    return static_cast<T>(j.get<double>());
  }
};

template <>
struct JsonCodec<std::string> {
  static Json encode(const std::string& v) { return v; }
  static std::optional<std::string> decode(const Json& j) {
    if (!j.is_string()) return std::nullopt;
    return j.get<std::string>();
  }
};

// Dates are seconds since 2001-01-01 00:00:00 UTC.
template <>
struct JsonCodec<platform::PlistDate> {
  static Json encode(platform::PlistDate v) { return platform::secondsSinceReferenceDate(v); }
  static std::optional<platform::PlistDate> decode(const Json& j) {
    if (!j.is_number()) return std::nullopt;
    return platform::dateFromReferenceSeconds(j.get<double>());
  }
};

// Data is Base64 text.
template <>
struct JsonCodec<platform::PlistData> {
  static Json encode(const platform::PlistData& v);
  static std::optional<platform::PlistData> decode(const Json& j);
};

template <JsonCodable T>
struct JsonCodec<std::optional<T>> {
  static Json encode(const std::optional<T>& v) { return v ? JsonCodec<T>::encode(*v) : Json(nullptr); }
  static std::optional<std::optional<T>> decode(const Json& j) {
    if (j.is_null()) return std::optional<T>{};
    auto v = JsonCodec<T>::decode(j);
    if (!v) return std::nullopt;
    return std::optional<T>(std::move(*v));
  }
};

// A list or set as a JSON array of its elements.
template <class Elements>
Json jsonArrayOf(const Elements& elements) {
  Json array = Json::array();
  for (const auto& item : elements) array.push_back(JsonCodec<typename Elements::value_type>::encode(item));
  return array;
}

template <JsonCodable T>
struct JsonCodec<std::vector<T>> {
  static Json encode(const std::vector<T>& v) { return jsonArrayOf(v); }
  static std::optional<std::vector<T>> decode(const Json& j) {
    if (!j.is_array()) return std::nullopt;
    std::vector<T> result;
    result.reserve(j.size());
    for (const auto& item : j) {
      auto v = JsonCodec<T>::decode(item);
      if (!v) return std::nullopt;
      result.push_back(std::move(*v));
    }
    return result;
  }
};

// A set is a JSON array of its elements; repeated elements in an array read as one.
template <class Set>
struct JsonSetCodec {
  using Element = typename Set::value_type;
  static Json encode(const Set& v) { return jsonArrayOf(v); }
  static std::optional<Set> decode(const Json& j) {
    auto elements = JsonCodec<std::vector<Element>>::decode(j);
    if (!elements) return std::nullopt;
    return Set(std::make_move_iterator(elements->begin()), std::make_move_iterator(elements->end()));
  }
};

template <JsonCodable T, class Compare>
struct JsonCodec<std::set<T, Compare>> : JsonSetCodec<std::set<T, Compare>> {};

template <JsonCodable T, class Hash, class Equal>
struct JsonCodec<std::unordered_set<T, Hash, Equal>> : JsonSetCodec<std::unordered_set<T, Hash, Equal>> {};

// The text a dictionary key is written as, and the key read back from it; none for text that is no key of the type.
// Strings are themselves, integers their decimal text ("1"), read back from decimal digits with an optional sign
// ("01" and "+1" too, never " 1", "1.0" or "").
template <class K, class = void>
struct KeyText;
template <>
struct KeyText<std::string> {
  static std::string text(const std::string& k) { return k; }
  static std::optional<std::string> make(const std::string& s) { return s; }
};
template <std::integral K>
requires(!std::same_as<K, bool>) struct KeyText<K> {
  static std::string text(K k) { return std::to_string(k); }
  static std::optional<K> make(const std::string& s) {
    // from_chars takes a minus sign but no plus sign, and no sign before digits that follow.
    const char* begin = s.data() + (s.starts_with('+') ? 1 : 0);
    const char* end = s.data() + s.size();
    if (begin == end || *begin == '+' || (begin[0] == '-' && begin != s.data())) return std::nullopt;
    K value{};
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
  }
};

template <class K>
concept DictionaryKey = requires(const K& key, const std::string& text) {
  { KeyText<K>::text(key) } -> std::same_as<std::string>;
  { KeyText<K>::make(text) } -> std::same_as<std::optional<K>>;
};

// A JSON object keyed by the keys' text; a key whose text is no key of the type makes the whole object unreadable.
template <DictionaryKey K, JsonCodable T, class Compare>
struct JsonCodec<std::map<K, T, Compare>> {
  static Json encode(const std::map<K, T, Compare>& v) {
    Json object = Json::object();
    for (const auto& [key, item] : v) object[KeyText<K>::text(key)] = JsonCodec<T>::encode(item);
    return object;
  }
  static std::optional<std::map<K, T, Compare>> decode(const Json& j) {
    if (!j.is_object()) return std::nullopt;
    std::map<K, T, Compare> result;
    for (const auto& [text, item] : j.items()) {
      auto key = KeyText<K>::make(text);
      auto v = JsonCodec<T>::decode(item);
      if (!key || !v) return std::nullopt;
      result.emplace(std::move(*key), std::move(*v));
    }
    return result;
  }
};

namespace detail {
std::optional<std::string> bareJsonText(Json valueAsArray);
// "[" + text + "]".
std::string asJsonArray(std::string_view text);
void printEncodingFailure(const std::exception& error);
}  // namespace detail

// The bare JSON text of a value: the JSON of the one-element array holding it, without the brackets
// ("true", "42", "\"abc\"", "[1,2]"). "/" is written "\/". None when the value has no JSON form; the
// reason is printed to standard output.
template <JsonCodable T>
std::optional<std::string> bareJson(const T& value) {
  try {
    return detail::bareJsonText(Json::array({JsonCodec<T>::encode(value)}));
  } catch (const std::exception& error) {
    detail::printEncodingFailure(error);
    return std::nullopt;
  }
}

// Reads bare JSON text back: "[" + text + "]" decoded as an array of T, first element. None for text
// that is not JSON of T, for "" (an empty array), and for text of several values of which one is no T ("true,1" for
// a Bool).
template <JsonCodable T>
std::optional<T> fromBareJson(std::string_view text) {
  auto values = kit::decodedJson<std::vector<T>>(
      detail::asJsonArray(text), [](const kit::Json& array) { return JsonCodec<std::vector<T>>::decode(Json(array)); });
  if (!values || values->empty()) return std::nullopt;
  return std::move(values->front());
}

}  // namespace kit::Preferences
