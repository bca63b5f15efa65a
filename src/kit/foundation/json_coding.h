#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "kit/foundation/general_error.h"

namespace kit {

using Json = nlohmann::ordered_json;
using CodingPath = std::vector<std::string>;

// Why a coded value could not be read; the coding path names where.
class DecodingError : public Error {
 public:
  enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

  DecodingError(Kind kind, CodingPath codingPath, std::string debugDescription, std::string subject = {})
      : kind_(kind), codingPath_(std::move(codingPath)), debugDescription_(std::move(debugDescription)),
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

template <class T>
Json encodeJson(const T& value) {
  return Json(value);
}

// The JSON text as the program writes it: compact, "/" escaped as "\/", whole floats without a fraction ("3").
std::string jsonText(const Json& json);
// Decodes a value from JSON bytes; any error gives none.
template <class T>
std::optional<T> decodedJson(std::string_view bytes);

std::string describeJsonType(const Json& json);

// --- templates ---

template <class T>
T JsonDecoding<T>::decode(const Json& json, const CodingPath& path) {
  if (json.is_null()) {
    throw DecodingError(DecodingError::Kind::valueNotFound, path, "Expected a value but found null instead.");
  }
  try {
    return json.get<T>();
  } catch (const nlohmann::json::exception& error) {
    throw DecodingError(DecodingError::Kind::typeMismatch, path,
                        "Expected to decode a value but found " + describeJsonType(json) + " instead.");
  }
}

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

// Combines hashes in order, so that swapped members hash differently.
inline void hashCombine(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 12) + (seed >> 4);
}

}  // namespace kit
