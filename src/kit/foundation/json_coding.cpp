#include "kit/foundation/json_coding.h"

#include <QByteArray>
#include <cmath>

#include "kit/foundation/textual_description.h"

namespace kit {

int64_t DecodingError::code() const {
  return kind_ == Kind::typeMismatch || kind_ == Kind::dataCorrupted ? 4864 : 4865;
}

std::optional<std::string> DecodingError::errorDescription() const {
  return code() == 4864 ? "The data couldn\u2019t be read because it isn\u2019t in the correct format."
                        : "The data couldn\u2019t be read because it is missing.";
}

std::string DecodingError::typeOrCaseName() const {
  switch (kind_) {
    case Kind::typeMismatch:
      return "typeMismatch";
    case Kind::valueNotFound:
      return "valueNotFound";
    case Kind::keyNotFound:
      return "keyNotFound";
    case Kind::dataCorrupted:
      return "dataCorrupted";
  }
  return "dataCorrupted";
}

std::string DecodingError::debugFields() const {
  return "codingPath: " + reflecting(codingPath_) + ", debugDescription: " + reflecting(debugDescription_) +
         ", subject: " + reflecting(subject_);
}

Json encodeData(const std::vector<uint8_t>& bytes) {
  QByteArray base64 =
      QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))
          .toBase64();
  return std::string(base64.constData(), static_cast<std::size_t>(base64.size()));
}

std::vector<uint8_t> decodeData(const Json& json, const CodingPath& path) {
  if (!json.is_string()) throw typeMismatch(json, path);
  const auto& text = json.get_ref<const std::string&>();
  auto decoded = QByteArray::fromBase64Encoding(QByteArray(text.data(), static_cast<qsizetype>(text.size())),
                                                QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded) throw DecodingError(DecodingError::Kind::dataCorrupted, path, "Encountered Data is not valid Base64.");
  return std::vector<uint8_t>(decoded.decoded.begin(), decoded.decoded.end());
}

std::string describeJsonType(const Json& json) {
  switch (json.type()) {
    case Json::value_t::null:
      return "null";
    case Json::value_t::object:
      return "a dictionary";
    case Json::value_t::array:
      return "an array";
    case Json::value_t::string:
      return "a string";
    case Json::value_t::boolean:
      return "bool";
    case Json::value_t::binary:
      return "data";
    default:
      return "number";
  }
}

DecodingError typeMismatch(const Json& json, const CodingPath& path) {
  return DecodingError(DecodingError::Kind::typeMismatch, path,
                       "Expected to decode a value but found " + describeJsonType(json) + " instead.");
}

const Json& keyedContainer(const Json& json, const CodingPath& path, std::string_view typeName) {
  if (!json.is_object()) {
    throw DecodingError(DecodingError::Kind::typeMismatch, path,
                        "Expected to decode a dictionary but found " + describeJsonType(json) + " instead.",
                        std::string(typeName));
  }
  return json;
}

const Json& unkeyedContainer(const Json& json, const CodingPath& path) {
  if (!json.is_array()) {
    throw DecodingError(DecodingError::Kind::typeMismatch, path,
                        "Expected to decode an array but found " + describeJsonType(json) + " instead.", "Array");
  }
  return json;
}

namespace {

// Whole floats within the exact integer range are written as integers (-0.0 aside); NaN and the infinities are refused.
Json withWholeNumbers(const Json& json) {
  switch (json.type()) {
    case Json::value_t::object: {
      Json result = Json::object();
      for (auto it = json.begin(); it != json.end(); ++it) result[it.key()] = withWholeNumbers(it.value());
      return result;
    }
    case Json::value_t::array: {
      Json result = Json::array();
      for (const auto& element : json) result.push_back(withWholeNumbers(element));
      return result;
    }
    case Json::value_t::number_float: {
      double value = json.get<double>();
      // JSON has no spelling for them (the library would write null, which reads back as no value).
      if (!std::isfinite(value)) throw GeneralError("Unable to encode " + std::to_string(value) + " directly in JSON.");
      // -0.0 stays a real: as the integer 0 it would read back without its sign.
      if (value == std::trunc(value) && std::fabs(value) < 9007199254740992.0 && !(value == 0 && std::signbit(value))) {
        return Json(static_cast<int64_t>(value));
      }
      return json;
    }
    default:
      return json;
  }
}

}  // namespace

std::string jsonText(const Json& json) {
  std::string text = withWholeNumbers(json).dump();
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '/') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace kit
