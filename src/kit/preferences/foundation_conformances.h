#pragma once

#include <limits>

#include "kit/foundation/app_appearance.h"
#include "kit/foundation/bookmarks.h"
#include "kit/foundation/bundle_identifier.h"
#include "kit/foundation/durations.h"
#include "kit/foundation/json_coding.h"
#include "kit/preferences/serializable.h"

namespace kit::Preferences {

// An application id is stored as its plain text, so a list of them is an array of strings. Its JSON form is that
// text as a JSON string.
template <>
struct Serializable<kit::BundleIdentifier> : PreferRawRepresentable<kit::BundleIdentifier> {};
template <>
struct JsonCodec<kit::BundleIdentifier> : RawValueJsonCodec<kit::BundleIdentifier> {};

// The appearance setting is stored as its raw value ("system", "light" or "dark"), which is its JSON form too.
template <>
struct RawRepresentation<kit::AppAppearance> {
  using RawValue = std::string;
  static std::string rawValue(kit::AppAppearance appearance) { return kit::rawValue(appearance); }
  static std::optional<kit::AppAppearance> make(const std::string& raw) { return kit::appAppearance(raw); }
};
template <>
struct Serializable<kit::AppAppearance> : PreferRawRepresentable<kit::AppAppearance> {};
template <>
struct JsonCodec<kit::AppAppearance> : RawValueJsonCodec<kit::AppAppearance> {};

// A bookmark is stored as its own coded form: its bytes as one value, Base64 text.
template <>
struct JsonCodec<kit::SandboxURLBookmark> {
  static Json encode(const kit::SandboxURLBookmark& bookmark) { return Json(kit::encodeJson(bookmark)); }
  static std::optional<kit::SandboxURLBookmark> decode(const Json& j) {
    try {
      return kit::decodeJson<kit::SandboxURLBookmark>(kit::Json(j));
    } catch (const kit::DecodingError&) {
      return std::nullopt;
    }
  }
};
template <>
struct Serializable<kit::SandboxURLBookmark> {
  static constexpr bool storesNatively = false;
  using Bridge = RawRepresentableCodableBridge<kit::SandboxURLBookmark>;
};

// A span is coded as the standard library codes one: its attoseconds as a signed 128-bit number, written as the
// high and the low 64 bits ("[0,1500000000000000000]" for 1.5 s). Stored as that JSON text.
template <>
struct JsonCodec<kit::Duration> {
  __extension__ typedef __int128 Attoseconds;
  __extension__ typedef unsigned __int128 Bits;

  static Json encode(kit::Duration duration) {
    Attoseconds attoseconds = static_cast<Attoseconds>(duration.count()) * 1'000'000'000;
    return Json::array({static_cast<int64_t>(attoseconds >> 64), static_cast<uint64_t>(attoseconds)});
  }
  static std::optional<kit::Duration> decode(const Json& j) {
    if (!j.is_array() || j.size() != 2) return std::nullopt;
    auto high = JsonCodec<int64_t>::decode(j[0]);
    auto low = JsonCodec<uint64_t>::decode(j[1]);
    if (!high || !low) return std::nullopt;
    Attoseconds attoseconds = static_cast<Attoseconds>(static_cast<Bits>(*high) << 64 | *low);
    Attoseconds nanoseconds = attoseconds / 1'000'000'000;  // toward zero, as every conversion of a span
    if (nanoseconds > std::numeric_limits<int64_t>::max() || nanoseconds < std::numeric_limits<int64_t>::min())
      return std::nullopt;
    return kit::Duration(static_cast<int64_t>(nanoseconds));
  }
};

template <>
struct Serializable<kit::Duration> : StoredAsJson<kit::Duration> {};

}  // namespace kit::Preferences
