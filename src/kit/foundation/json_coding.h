#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kit/foundation/general_error.h"
#include "kit/foundation/hashing.h"
#include "kit/foundation/is_optional.h"
#include "kit/foundation/raw_value.h"
#include "kit/foundation/whole_real.h"
#include "platform/core/decimal_text.h"

namespace kit {

using Json = nlohmann::ordered_json;
using CodingPath = std::vector<std::string>;

// Why a coded value could not be read; the coding path names where.
class DecodingError : public Error {
 public:
  enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

  DecodingError(Kind kind, CodingPath codingPath, std::string debugDescription, std::string subject = {})
      : kind_(kind),
        codingPath_(std::move(codingPath)),
        debugDescription_(std::move(debugDescription)),
        subject_(std::move(subject)) {}

  Kind kind() const { return kind_; }
  const CodingPath& codingPath() const { return codingPath_; }
  const std::string& debugDescription() const { return debugDescription_; }
  // The expected type of a mismatch or missing value, or the missing key.
  const std::string& subject() const { return subject_; }

  std::string domain() const override { return "NSCocoaErrorDomain"; }
  int64_t code() const override;
  std::optional<std::string> errorDescription() const override;
  std::string typeOrCaseName() const override;
  std::string debugFields() const override;

 private:
  Kind kind_;
  CodingPath codingPath_;
  std::string debugDescription_;
  std::string subject_;
};

// Decoding of one type from JSON. The primary template reads numbers, booleans and texts strictly and other types
// through their nlohmann conversion, turning a mismatch into a DecodingError; containers decode each element
// through its own decoding, and the kit's generic types specialise it too.
template <class T>
struct JsonDecoding {
  static T decode(const Json& json, const CodingPath& path);
};

template <class T>
T decodeJson(const Json& json, const CodingPath& path = {}) {
  return JsonDecoding<T>::decode(json, path);
}

// The object at `json`, or a type mismatch naming `typeName`.
const Json& keyedContainer(const Json& json, const CodingPath& path, std::string_view typeName);
// The array at `json`, or a type mismatch.
const Json& unkeyedContainer(const Json& json, const CodingPath& path);
// The value under `key` of an object: missing keys give keyNotFound (none for an optional), null valueNotFound.
template <class T>
T decodeMember(const Json& object, const std::string& key, const CodingPath& path);
// The same with the key required for an optional too: the rule of the kit's generic types, which read a member of
// any type the same way.
template <class T>
T decodeRequiredMember(const Json& object, const std::string& key, const CodingPath& path);

// Byte buffers are Base64 text in JSON; text that is no Base64 is corrupted data.
Json encodeData(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> decodeData(const Json& json, const CodingPath& path = {});

// Values coded as their raw value alone, as one bare value. A raw-representable type (kit/foundation/raw_value.h)
// opts in with  static constexpr bool codesAsSingleValue = true;
template <class T>
concept SingleValueCodable = RawRepresentable<T> && T::codesAsSingleValue;

// The containers the kit codes element by element: lists and sets as arrays, maps keyed by text as objects, other
// maps as arrays of [key, value] pairs.
template <class T>
inline constexpr bool isCodedList = false;
template <class T, class A>
inline constexpr bool isCodedList<std::vector<T, A>> = true;
template <class T, class C, class A>
inline constexpr bool isCodedList<std::set<T, C, A>> = true;
template <class T, class H, class E, class A>
inline constexpr bool isCodedList<std::unordered_set<T, H, E, A>> = true;
template <class T>
inline constexpr bool isCodedMap = false;
template <class K, class T, class C, class A>
inline constexpr bool isCodedMap<std::map<K, T, C, A>> = true;
template <class K, class T, class H, class E, class A>
inline constexpr bool isCodedMap<std::unordered_map<K, T, H, E, A>> = true;
template <class T>
inline constexpr bool isTextKeyedMap = false;
template <class T, class C, class A>
inline constexpr bool isTextKeyedMap<std::map<std::string, T, C, A>> = true;
template <class T, class H, class E, class A>
inline constexpr bool isTextKeyedMap<std::unordered_map<std::string, T, H, E, A>> = true;
template <class T>
inline constexpr bool isPair = false;
template <class A, class B>
inline constexpr bool isPair<std::pair<A, B>> = true;

// A value's JSON: an optional as its value or null, containers as above with every element through this encoding,
// single values as their raw value, anything else through its to_json.
template <class T>
Json encodeJson(const T& value) {
  if constexpr (isOptional<T>) {
    return value ? encodeJson(*value) : Json();
  } else if constexpr (isTextKeyedMap<T>) {
    Json object = Json::object();
    for (const auto& [key, element] : value) object[key] = encodeJson(element);
    return object;
  } else if constexpr (isCodedList<T> || isCodedMap<T>) {
    Json array = Json::array();
    for (const auto& element : value) array.push_back(encodeJson(element));
    return array;
  } else if constexpr (isPair<T>) {
    return Json::array({encodeJson(value.first), encodeJson(value.second)});
  } else if constexpr (std::is_same_v<T, float>) {
    return Json(platform::widenedAsWritten(value));  // 0.1f as 0.1, not as the double nearest to it
  } else if constexpr (!SingleValueCodable<T>) {
    return Json(value);
  } else if constexpr (std::is_same_v<typename T::RawValue, std::vector<uint8_t>>) {
    return encodeData(rawValueOf(value));
  } else {
    return encodeJson(rawValueOf(value));
  }
}

// The same for single values inside other coded values (arrays, dictionaries).
template <SingleValueCodable T>
void to_json(Json& json, const T& value) {
  json = encodeJson(value);
}

// True for types that are never coded: a record member of such a type leaves no key behind.
template <class T>
inline constexpr bool encodesNothing = false;

// Writes one member of a keyed record.
template <class T>
void encodeMember(Json& object, const std::string& key, const T& value) {
  if constexpr (!encodesNothing<T>) object[key] = encodeJson(value);
}

// The JSON text as the program writes it: compact, "/" escaped as "\/", whole floats without a fraction ("3").
// Throws for a value holding NaN or an infinity, which JSON cannot write.
std::string jsonText(const Json& json);
// Decodes a value from JSON bytes; any error gives none.
template <class T>
std::optional<T> decodedJson(std::string_view bytes);
// The same through a decoding of the caller's own, which gives none or throws for JSON that holds no T.
template <class T, class Decode>
requires std::is_invocable_r_v < std::optional<T>, Decode,
const Json& > std::optional<T> decodedJson(std::string_view bytes, Decode decode);

std::string describeJsonType(const Json& json);
DecodingError typeMismatch(const Json& json, const CodingPath& path);

// Whether a JSON number is a whole value within T's range.
template <std::integral T, class AnyJson>
bool fitsExactly(const AnyJson& json) {
  if (json.is_number_unsigned()) return std::in_range<T>(json.template get<uint64_t>());
  if (json.is_number_integer()) return std::in_range<T>(json.template get<int64_t>());
  return holdsWholeReal<T>(json.template get<double>());
}

// --- templates ---

template <class T>
T JsonDecoding<T>::decode(const Json& json, const CodingPath& path) {
  if (json.is_null()) {
    throw DecodingError(DecodingError::Kind::valueNotFound, path, "Expected a value but found null instead.");
  }
  // Numbers stay numbers: no booleans read as integers, no fractions cut off, nothing out of range.
  if constexpr (std::is_same_v<T, bool>) {
    if (!json.is_boolean()) throw typeMismatch(json, path);
  } else if constexpr (std::is_integral_v<T>) {
    if (!json.is_number() || !fitsExactly<T>(json)) throw typeMismatch(json, path);
  } else if constexpr (std::is_floating_point_v<T>) {
    if (!json.is_number()) throw typeMismatch(json, path);
  }
  try {
    return json.get<T>();
  } catch (const nlohmann::json::exception&) {
    throw typeMismatch(json, path);
  }
}

template <class T>
requires SingleValueCodable<T>
struct JsonDecoding<T> {
  static T decode(const Json& json, const CodingPath& path) {
    if constexpr (std::is_same_v<typename T::RawValue, std::vector<uint8_t>>)
      return T(decodeData(json, path));
    else
      return T(decodeJson<typename T::RawValue>(json, path));
  }
};

template <class T>
struct JsonDecoding<std::optional<T>> {
  static std::optional<T> decode(const Json& json, const CodingPath& path) {
    if (json.is_null()) return std::nullopt;
    return decodeJson<T>(json, path);
  }
};

// Containers in the forms they encode to, every element through its own decoding; the first failure ends decoding.
namespace detail {

template <class Container>
Container decodeElements(const Json& json, const CodingPath& path) {
  const Json& array = unkeyedContainer(json, path);
  Container result;
  CodingPath elementPath = path;
  elementPath.emplace_back();
  for (std::size_t index = 0; index < array.size(); ++index) {
    elementPath.back() = "Index " + std::to_string(index);
    result.insert(result.end(), decodeJson<typename Container::value_type>(array[index], elementPath));
  }
  return result;
}

template <class Map>
Map decodeEntries(const Json& json, const CodingPath& path) {
  using Mapped = typename Map::mapped_type;
  if constexpr (!isTextKeyedMap<Map>) {
    return decodeElements<Map>(json, path);
  } else {
    const Json& object = keyedContainer(json, path, "Dictionary");
    Map result;
    CodingPath memberPath = path;
    memberPath.emplace_back();
    for (auto it = object.begin(); it != object.end(); ++it) {
      memberPath.back() = it.key();
      result.insert_or_assign(it.key(), decodeJson<Mapped>(it.value(), memberPath));
    }
    return result;
  }
}

}  // namespace detail

template <class T>
requires(isCodedList<T> || isCodedMap<T>) struct JsonDecoding<T> {
  static T decode(const Json& json, const CodingPath& path) {
    if constexpr (isCodedMap<T>) {
      return detail::decodeEntries<T>(json, path);
    } else {
      return detail::decodeElements<T>(json, path);
    }
  }
};

// [first, second]
template <class A, class B>
struct JsonDecoding<std::pair<A, B>> {
  static std::pair<A, B> decode(const Json& json, const CodingPath& path) {
    const Json& array = unkeyedContainer(json, path);
    if (array.size() != 2) {
      throw DecodingError(DecodingError::Kind::dataCorrupted, path, "Expected a pair of two values.");
    }
    A first = decodeJson<std::remove_const_t<A>>(array[0], withElement(path, 0));
    B second = decodeJson<B>(array[1], withElement(path, 1));
    return {std::move(first), std::move(second)};
  }
  static CodingPath withElement(CodingPath path, std::size_t index) {
    path.push_back("Index " + std::to_string(index));
    return path;
  }
};

template <class T>
T decodeRequiredMember(const Json& object, const std::string& key, const CodingPath& path) {
  auto it = object.find(key);
  CodingPath memberPath = path;
  memberPath.push_back(key);
  if (it != object.end()) return decodeJson<T>(*it, memberPath);
  // A member that encodes nothing leaves no key to require.
  if constexpr (requires { JsonDecoding<T>::decodesWhenMissing; }) return JsonDecoding<T>::decode(Json(), memberPath);
  throw DecodingError(DecodingError::Kind::keyNotFound, path, "No value associated with key \"" + key + "\".", key);
}

template <class T>
T decodeMember(const Json& object, const std::string& key, const CodingPath& path) {
  if constexpr (isOptional<T>) {
    if (!object.contains(key)) return T();
  }
  return decodeRequiredMember<T>(object, key, path);
}

template <class T, class Decode>
requires std::is_invocable_r_v < std::optional<T>, Decode,
const Json& > std::optional<T> decodedJson(std::string_view bytes, Decode decode) {
  try {
    return decode(Json::parse(bytes));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

template <class T>
std::optional<T> decodedJson(std::string_view bytes) {
  return decodedJson<T>(bytes, [](const Json& json) { return std::optional<T>(decodeJson<T>(json)); });
}

}  // namespace kit
