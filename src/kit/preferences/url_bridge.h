#pragma once

#include "kit/preferences/serializable.h"
#include "platform/url/url.h"

namespace kit::Preferences {

// A URL's JSON form is its absolute text, as a JSON string.
template <>
struct JsonCodec<platform::Url> {
  static Json encode(const platform::Url& url) { return url.absoluteString(); }
  static std::optional<platform::Url> decode(const Json& j) {
    if (!j.is_string()) return std::nullopt;
    return platform::Url::parse(j.get_ref<const std::string&>());
  }
};

// Stored as bare JSON: "\"https:\/\/example.com\/\"".
using URLBridge = TopLevelCodableBridge<platform::Url>;

template <>
struct Serializable<platform::Url> {
  static constexpr bool storesNatively = false;
  using Bridge = URLBridge;
};

}  // namespace kit::Preferences
