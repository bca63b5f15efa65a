#pragma once

// Values of the kinds the preferences kit stores (a raw-value enum, a raw-value wrapper, JSON-coded structs) and
// a fixture with a suite of its own in a private config home.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "kit/preferences/json_form.h"
#include "kit/preferences/key.h"
#include "kit/preferences/serializable.h"
#include "support/preference_files.h"

namespace preferences_test {

enum class Appearance { system, light, dark };

struct Tag {
  std::string rawValue;
  friend auto operator<=>(const Tag&, const Tag&) = default;
};

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Measure {
  double value = 0;
};

}  // namespace preferences_test

template <>
struct kit::Preferences::RawRepresentation<preferences_test::Appearance> {
  using RawValue = std::string;
  static std::string rawValue(preferences_test::Appearance a) {
    return a == preferences_test::Appearance::light  ? "light"
           : a == preferences_test::Appearance::dark ? "dark"
                                                     : "system";
  }
  static std::optional<preferences_test::Appearance> make(const std::string& raw) {
    if (raw == "system") return preferences_test::Appearance::system;
    if (raw == "light") return preferences_test::Appearance::light;
    if (raw == "dark") return preferences_test::Appearance::dark;
    return std::nullopt;
  }
};
template <>
struct kit::Preferences::Serializable<preferences_test::Appearance>
    : PreferRawRepresentable<preferences_test::Appearance> {};
template <>
struct kit::Preferences::Serializable<preferences_test::Tag> : PreferRawRepresentable<preferences_test::Tag> {};
template <>
struct kit::Preferences::JsonCodec<preferences_test::Point> {
  static Json encode(const preferences_test::Point& p) { return {{"x", p.x}, {"y", p.y}}; }
  static std::optional<preferences_test::Point> decode(const Json& j) {
    if (!j.is_object() || !j.contains("x") || !j.contains("y")) return std::nullopt;
    auto x = JsonCodec<int>::decode(j["x"]), y = JsonCodec<int>::decode(j["y"]);
    if (!x || !y) return std::nullopt;
    return preferences_test::Point{*x, *y};
  }
};
template <>
struct kit::Preferences::Serializable<preferences_test::Point> : StoredAsJson<preferences_test::Point> {};
template <>
struct kit::Preferences::JsonCodec<preferences_test::Measure> {
  static Json encode(const preferences_test::Measure& m) { return {{"value", JsonCodec<double>::encode(m.value)}}; }
  static std::optional<preferences_test::Measure> decode(const Json& j) {
    if (!j.is_object() || !j.contains("value")) return std::nullopt;
    auto v = JsonCodec<double>::decode(j["value"]);
    if (!v) return std::nullopt;
    return preferences_test::Measure{*v};
  }
};
template <>
struct kit::Preferences::Serializable<preferences_test::Measure> : StoredAsJson<preferences_test::Measure> {};

// The tests read `using namespace preferences_test;`: the kit's operations and the property-list values by their
// short names.
namespace preferences_test {

using namespace kit::Preferences;
using platform::PlistArray;
using platform::PlistDict;
using platform::PlistValue;

class PreferencesTest : public ::testing::Test {
 protected:
  prefs_test::TemporaryConfigHome home;
  std::shared_ptr<platform::UserDefaults> suite = platform::UserDefaults::named(prefs_test::uniqueSuiteName());
};

}  // namespace preferences_test
