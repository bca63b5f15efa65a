#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "kit/foundation/general_error.h"
#include "kit/foundation/hashing.h"
#include "kit/foundation/raw_value.h"

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

 private:
  Kind kind_;
  CodingPath codingPath_;
  std::string debugDescription_;
  std::string subject_;
};

// Decoding of one type from JSON. The primary template reads the value through its nlohmann conversion and turns
// a mismatch into a DecodingError; the kit's generic types specialise it.
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
// The value under `key` of an object: missing keys give keyNotFound (none for an optional), null valueNotFound.
template <class T>
T decodeMember(const Json& object, const std::string& key, const CodingPath& path);

// Byte buffers are Base64 text in JSON; text that is no Base64 is corrupted data.
Json encodeData(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> decodeData(const Json& json, const CodingPath& path = {});

// Values coded as their raw value alone, as one bare value. A raw-representable type (kit/foundation/raw_value.h)
// opts in with  static constexpr bool codesAsSingleValue = true;
template <class T>
concept SingleValueCodable = RawRepresentable<T> && T::codesAsSingleValue;

template <class T>
Json encodeJson(const T& value) {
  if constexpr (!SingleValueCodable<T>) {
    return Json(value);
  } else if constexpr (std::is_same_v<typename T::RawValue, std::vector<uint8_t>>) {
    return encodeData(rawValueOf(value));
  } else {
    return encodeJson(rawValueOf(value));
  }
}

// The same for single values inside other coded values (arrays, dictionaries), both ways.
template <SingleValueCodable T>
void to_json(Json& json, const T& value) {
  json = encodeJson(value);
}
template <SingleValueCodable T>
void from_json(const Json& json, T& value) {
  value = decodeJson<T>(json);
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

std::string describeJsonType(const Json& json);
DecodingError typeMismatch(const Json& json, const CodingPath& path);

// Whether a JSON number is a whole value within T's range.
template <class T>
bool fitsExactly(const Json& json) {
  if (json.is_number_unsigned()) {
    return json.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<T>::max());
  }
  if (json.is_number_integer()) {
    auto value = json.get<int64_t>();
    if constexpr (std::is_unsigned_v<T>) {
      return value >= 0 && static_cast<uint64_t>(value) <= static_cast<uint64_t>(std::numeric_limits<T>::max());
    } else {
      return value >= static_cast<int64_t>(std::numeric_limits<T>::min()) &&
             value <= static_cast<int64_t>(std::numeric_limits<T>::max());
    }
  }
  // 2^(bits - 1) for signed types and 2^bits for unsigned ones: the first value beyond the range.
  const double beyond =
      -static_cast<double>(std::numeric_limits<std::make_signed_t<T>>::min()) * (std::is_unsigned_v<T> ? 2.0 : 1.0);
  double value = json.get<double>();
  return value == std::trunc(value) && value >= static_cast<double>(std::numeric_limits<T>::min()) && value < beyond;
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

template <class T>
inline constexpr bool isOptional = false;
template <class T>
inline constexpr bool isOptional<std::optional<T>> = true;

template <class T>
T decodeMember(const Json& object, const std::string& key, const CodingPath& path) {
  auto it = object.find(key);
  CodingPath memberPath = path;
  memberPath.push_back(key);
  if (it == object.end()) {
    if constexpr (isOptional<T>) return T();
    if constexpr (requires { JsonDecoding<T>::decodesWhenMissing; }) return JsonDecoding<T>::decode(Json(), memberPath);
    throw DecodingError(DecodingError::Kind::keyNotFound, path, "No value associated with key \"" + key + "\".", key);
  }
  return decodeJson<T>(*it, memberPath);
}

template <class T>
std::optional<T> decodedJson(std::string_view bytes) {
  try {
    return decodeJson<T>(Json::parse(bytes));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace kit
