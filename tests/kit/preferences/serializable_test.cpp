#include "kit/preferences/serializable.h"

#include <gtest/gtest.h>

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

namespace {

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
