#include "kit/preferences/serializable.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "preference_test_values.h"

using namespace preferences_test;

// A list of the program's own and a set of options, stored as arrays of their elements.
struct Playlist {
  using value_type = Tag;
  explicit Playlist(std::vector<Tag> tags = {}) : tags(std::move(tags)) {}
  auto begin() const { return tags.begin(); }
  auto end() const { return tags.end(); }
  std::vector<Tag> tags;
  bool operator==(const Playlist&) const = default;
};
template <>
struct kit::Preferences::Serializable<Playlist> : StoredAsCollection<Playlist> {};

struct FontTraits {
  using Element = int;
  explicit FontTraits(const std::vector<int>& flags = {}) {
    for (int flag : flags) bits |= flag;
  }
  std::vector<int> elementsArray() const {
    std::vector<int> flags;
    for (int flag = 1; flag <= bits; flag <<= 1)
      if (bits & flag) flags.push_back(flag);
    return flags;
  }
  int bits = 0;
  bool operator==(const FontTraits&) const = default;
};
template <>
struct kit::Preferences::Serializable<FontTraits> : StoredAsSetAlgebra<FontTraits> {};

// A bridge that takes no optional, and one whose stored form has no property-list form: neither makes a type storable.
struct Unwrapped {
  std::string text;
};
struct BridgeWithoutOptionals {
  using Value = Unwrapped;
  using Stored = std::string;
  static std::optional<std::string> serialize(const Unwrapped& v) { return v.text; }
  static std::optional<Unwrapped> deserialize(const std::string& s) { return Unwrapped{s}; }
};
struct Opaque {};
// The containers are codable exactly when their elements are: nothing without a form of its own gets one inside them.
static_assert(!JsonCodable<std::vector<Opaque>> && !JsonCodable<std::set<Opaque>> &&
              !JsonCodable<std::map<std::string, Opaque>> && !JsonCodable<std::map<int, Opaque>> &&
              !JsonCodable<std::optional<Opaque>>);
static_assert(JsonCodable<std::vector<std::optional<int>>> && JsonCodable<std::map<int, std::set<std::string>>>);
struct BridgeToOpaque {
  using Value = Unwrapped;
  using Stored = Opaque;
  static std::optional<Opaque> serialize(const std::optional<Unwrapped>&) { return Opaque{}; }
  static std::optional<Unwrapped> deserialize(const std::optional<Opaque>&) { return Unwrapped{}; }
};
// Text of its own making, not JSON.
struct PlainTextBridge {
  using Value = std::string;
  using Stored = std::string;
  static std::optional<std::string> serialize(const std::optional<std::string>& v) { return v; }
  static std::optional<std::string> deserialize(const std::optional<std::string>& s) { return s; }
};
template <>
struct kit::Preferences::Serializable<Unwrapped> {
  static constexpr bool storesNatively = false;
  using Bridge = BridgeWithoutOptionals;
};
template <>
struct kit::Preferences::Serializable<Opaque> {
  static constexpr bool storesNatively = false;
  using Bridge = BridgeToOpaque;
};

namespace {

static_assert(!PreferencesSerializable<Unwrapped> && !PreferencesSerializable<Opaque>);
static_assert(PreferencesBridge<PlainTextBridge> && !PreferencesCodableBridge<PlainTextBridge>);
static_assert(PreferencesCodableBridge<TopLevelCodableBridge<bool>> &&
              PreferencesCodableBridge<Serializable<Point>::Bridge> &&
              !PreferencesCodableBridge<Serializable<Tag>::Bridge> && !PreferencesCodableBridge<ArrayBridge<Point>>);
static_assert(PreferencesSerializable<std::vector<std::optional<Tag>>> &&
              PreferencesSerializable<std::map<int, std::set<Appearance>>>);
// Only the types declared so are stored through the collection and set-algebra bridges.
static_assert(PreferencesCollectionSerializable<Playlist> && PreferencesSetAlgebraSerializable<FontTraits> &&
              !PreferencesCollectionSerializable<std::vector<Tag>> &&
              !PreferencesSetAlgebraSerializable<std::set<int>> && !PreferencesCollectionSerializable<FontTraits> &&
              !PreferencesSetAlgebraSerializable<Playlist>);

TEST_F(PreferencesTest, CollectionsAndOptionSetsOfTheProgramAreArraysOfTheirElements) {
  Key<Playlist> playlist("playlist", Playlist(), *suite);
  set(playlist, Playlist({{"b"}, {"a"}, {"b"}}));
  EXPECT_EQ(*suite->object("playlist")->get<PlistArray>(), (PlistArray{"b", "a", "b"}));
  EXPECT_EQ(get(playlist), Playlist({{"b"}, {"a"}, {"b"}}));

  Key<FontTraits> traits("traits", FontTraits({4}), *suite);
  set(traits, FontTraits({1, 8}));
  EXPECT_EQ(*suite->object("traits")->get<PlistArray>(), (PlistArray{int64_t{1}, int64_t{8}}));
  EXPECT_EQ(get(traits), FontTraits({1, 8}));

  suite->set("traits", PlistArray{int64_t{2}, int64_t{2}});
  EXPECT_EQ(get(traits), FontTraits({2}));
  for (PlistValue other :
       {PlistValue(PlistArray{int64_t{2}, "not a flag"}), PlistValue(PlistDict{{"1", int64_t{1}}})}) {
    suite->set("traits", other);
    EXPECT_EQ(get(traits), FontTraits({4})) << "a stored object of another shape reads as the default";
  }
}

}  // namespace
