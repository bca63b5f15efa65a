#include "kit/foundation/raw_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "kit/foundation/json_coding.h"
#include "kit/foundation/process_id.h"
#include "kit/foundation/value_wrappers.h"

namespace {

struct Flavour : kit::RawValueDefaults<Flavour, std::string> {
  using RawValueDefaults::RawValueDefaults;
};

struct Level : kit::RawValueDefaults<Level, int> {
  using RawValueDefaults::RawValueDefaults;
};

static_assert(kit::RawRepresentable<Flavour> && kit::SingleValueCodable<Flavour>);
static_assert(std::is_convertible_v<const char*, Flavour>);
static_assert(!std::is_convertible_v<const char*, Level>);
static_assert(kit::RawRepresentable<kit::ZvProcessID> && kit::Identifiable<kit::ZvProcessID>);

TEST(RawValueDefaults, OrderEqualityAndHashingFollowTheRawValue) {
  const Flavour vanilla = "vanilla";
  EXPECT_EQ(vanilla, Flavour(std::string("vanilla")));
  EXPECT_NE(vanilla, Flavour("Vanilla"));
  EXPECT_LT(Flavour("apple"), vanilla);
  EXPECT_GT(vanilla, Flavour("apple"));
  EXPECT_LE(vanilla, vanilla);
  EXPECT_GE(Level(3), Level(2));

  std::vector<Flavour> flavours{"mint", "apple", "vanilla"};
  std::sort(flavours.begin(), flavours.end());
  EXPECT_EQ(flavours, (std::vector<Flavour>{"apple", "mint", "vanilla"}));
  const std::unordered_set<Flavour> unique{"mint", "mint", "apple"};
  EXPECT_EQ(unique.size(), 2u);
  EXPECT_EQ(std::hash<Flavour>()(vanilla), std::hash<std::string>()("vanilla"));
}

TEST(RawValueDefaults, CodesAsTheBareRawValue) {
  EXPECT_EQ(kit::jsonText(kit::encodeJson(std::vector<Flavour>{"mint", "apple"})), R"(["mint","apple"])");
  EXPECT_EQ(kit::jsonText(kit::encodeJson(Level(7))), "7");
  EXPECT_EQ(kit::decodeJson<Level>(kit::Json(7)), Level(7));
  EXPECT_EQ(kit::decodeJson<Flavour>(kit::Json("mint")), Flavour("mint"));
  EXPECT_THROW(kit::decodeJson<Level>(kit::Json("7")), kit::DecodingError);
}

}  // namespace
