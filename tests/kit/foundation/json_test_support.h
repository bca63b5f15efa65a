#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "kit/foundation/json_coding.h"

// A value encoded to JSON text and decoded again.
template <class T>
T roundTrip(const T& value) {
  return kit::decodeJson<T>(kit::Json::parse(kit::jsonText(kit::encodeJson(value))));
}

// The error decoding the text gives; a failed expectation when it decodes.
template <class T>
kit::DecodingError decodingFailure(std::string_view text) {
  try {
    kit::decodeJson<T>(kit::Json::parse(text));
  } catch (const kit::DecodingError& error) {
    return error;
  }
  ADD_FAILURE() << "decoded " << text;
  return kit::DecodingError(kit::DecodingError::Kind::dataCorrupted, {}, "");
}
