#pragma once

#include <QUuid>
#include <functional>
#include <optional>

#include "kit/foundation/json_coding.h"
#include "kit/preferences/serializable.h"
#include "kit/preferences/value_bridges.h"

class QScreen;

namespace kit {

// A screen, referred to by an identifier that stays the same across runs, so that a choice of screen can be
// stored. Equal ids are equal displays.
struct Display {
  QUuid id;

  // The display of a connected screen: its id is derived from the screen's name and serial number.
  static Display forScreen(const QScreen& screen);
  // The connected screen of this display; none while it is not connected.
  QScreen* screen() const;

  friend bool operator==(const Display&, const Display&) = default;
};

// Coded as an object with the one key "id" holding the UUID's text.
Json encodeDisplay(const Display& display);
// Throws DecodingError: keyNotFound without "id", dataCorrupted for text that is no UUID.
Display decodeDisplay(const Json& json, const CodingPath& path = {});

template <>
struct JsonDecoding<Display> {
  static Display decode(const Json& json, const CodingPath& path) { return decodeDisplay(json, path); }
};
inline void to_json(Json& json, const Display& display) { json = encodeDisplay(display); }
// Also as an element of an array or a dictionary.
inline void from_json(const Json& json, Display& display) { display = decodeDisplay(json); }

}  // namespace kit

template <>
struct std::hash<kit::Display> {
  std::size_t operator()(const kit::Display& display) const { return qHash(display.id); }
};

namespace kit::Preferences {

// A display is stored as its id, by the rule for UUIDs.
struct DisplayBridge {
  using Value = kit::Display;
  using Stored = UUIDBridge::Stored;
  static std::optional<Stored> serialize(const std::optional<kit::Display>& display) {
    return UUIDBridge::serialize(display ? std::optional<QUuid>(display->id) : std::nullopt);
  }
  static std::optional<kit::Display> deserialize(const std::optional<Stored>& stored) {
    auto id = UUIDBridge::deserialize(stored);
    if (!id) return std::nullopt;
    return kit::Display{*id};
  }
};

template <>
struct Serializable<kit::Display> {
  static constexpr bool storesNatively = false;
  using Bridge = DisplayBridge;
};

}  // namespace kit::Preferences
