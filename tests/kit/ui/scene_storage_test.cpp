#include "kit/ui/scene_storage.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <vector>

namespace kit {
namespace {

struct Layout {
  int b = 0;
  std::string a;
  bool operator==(const Layout&) const = default;
};
void to_json(Json& json, const Layout& layout) { json = Json{{"b", layout.b}, {"a", layout.a}}; }
void from_json(const Json& json, Layout& layout) {
  layout.b = json.at("b").get<int>();
  layout.a = json.at("a").get<std::string>();
}

class SceneStorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-scenes-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::filesystem::path file() const { return folder / "app" / "scenes.json"; }

  std::filesystem::path folder;
};

TEST_F(SceneStorageTest, ValuesAreKeptAsSortedJsonAndFoundAgainInTheNextRun) {
  {
    SceneStorage storage(file());
    SceneStorageForCodable<Layout> layout(Layout{1, "default"}, "layout", "Inspector", storage);
    EXPECT_EQ(layout.wrappedValue(), (Layout{1, "default"}));
    layout.setWrappedValue({2, "x/y"});
    EXPECT_EQ(storage.string("Inspector", "layout"), R"({"a":"x\/y","b":2})");
    layout.modify([](Layout& value) { value.b = 3; });
    layout.projectedValue().set(Layout{4, "bound"});
    EXPECT_EQ(layout.projectedValue().get(), (Layout{4, "bound"}));

    // A binding works on after its wrapper has gone, also when another wrapper takes its place.
    std::optional<SceneStorageForCodable<Layout>> scoped;
    scoped.emplace(Layout{}, "size", "Inspector", storage);
    const auto binding = scoped->projectedValue();
    scoped.emplace(Layout{}, "other", "Inspector", storage);
    binding.set(Layout{5, "size"});
    EXPECT_EQ(storage.string("Inspector", "size"), R"({"a":"size","b":5})");
  }
  SceneStorage reopened(file());
  EXPECT_EQ((SceneStorageForCodable<Layout>({}, "layout", "Inspector", reopened).wrappedValue()), (Layout{4, "bound"}));
  EXPECT_EQ((SceneStorageForCodable<Layout>({}, "layout", "Other", reopened).wrappedValue()), Layout{})
      << "another window keeps its own state";
}

TEST_F(SceneStorageTest, UndecodableTextReadsAsTheDefaultAndStaysUntilTheNextWrite) {
  SceneStorage storage(file());
  storage.setString("Inspector", "layout", R"({"b":"two"})");
  SceneStorageForCodable<Layout> layout(Layout{9, "default"}, "layout", "Inspector", storage);
  EXPECT_EQ(layout.wrappedValue(), (Layout{9, "default"}));
  EXPECT_EQ(storage.string("Inspector", "layout"), R"({"b":"two"})");

  SceneStorageForCodable<std::string> text("", "title", "Inspector", storage);
  text.setWrappedValue("\xff\xfe not UTF-8");
  EXPECT_EQ(storage.string("Inspector", "title"), std::nullopt) << "what cannot be encoded is not stored";
  SceneStorageForCodable<double> ratio(1, "ratio", "Inspector", storage);
  ratio.setWrappedValue(2.5);
  ratio.setWrappedValue(std::nan(""));
  EXPECT_EQ(ratio.wrappedValue(), 2.5) << "JSON has no NaN: the value before it stays";
  SceneStorageForCodable<std::vector<double>> sizes({}, "sizes", "Inspector", storage);
  sizes.setWrappedValue({1, std::numeric_limits<double>::infinity()});
  EXPECT_EQ(storage.string("Inspector", "sizes"), std::nullopt);

  std::ofstream(file()) << "not json";
  EXPECT_EQ(SceneStorage(file()).string("Inspector", "layout"), std::nullopt) << "a damaged file starts afresh";
}

}  // namespace
}  // namespace kit
