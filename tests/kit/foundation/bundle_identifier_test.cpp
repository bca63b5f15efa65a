#include "kit/foundation/bundle_identifier.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <map>
#include <set>
#include <unordered_set>

#include "kit/foundation/expiring_cache.h"
#include "kit/foundation/json_coding.h"
#include "kit/foundation/value_boxes.h"
#include "platform/core/clock.h"

namespace {

using namespace std::chrono_literals;
using kit::BundleIdentifier;

class InstalledApplications : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillet-apps-XXXXXX";
    root_ = mkdtemp(pattern);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root_ / "system").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    platform::setClockForTesting(&clock);
    kit::resetExpiringCacheForTesting();
  }
  void TearDown() override {
    kit::resetExpiringCacheForTesting();
    platform::setClockForTesting(nullptr);
    std::filesystem::remove_all(root_);
    for (const char* v : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME"}) unsetenv(v);
  }
  void install(const std::string& id, const std::string& content) {
    auto file = root_ / "data/applications" / (id + ".desktop");
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << content;
  }
  std::filesystem::path root_;
  platform::VirtualClock clock;
};

TEST_F(InstalledApplications, LooksUpLocationNameAndIconOfAnInstalledEntry) {
  install("org.example.Editor", "[Desktop Entry]\nType=Application\nName=Editor\nIcon=accessories-text-editor\n");
  BundleIdentifier editor("org.example.Editor");
  ASSERT_TRUE(editor.url());
  EXPECT_EQ(editor.url()->path(), (root_ / "data/applications/org.example.Editor.desktop").string());
  EXPECT_EQ(editor.name(), "Editor");
  EXPECT_EQ(editor.icon(), kit::AppIcon{"accessories-text-editor"});
  EXPECT_TRUE(editor.isInstalled());

  BundleIdentifier other("org.example.editor");  // case matters
  EXPECT_FALSE(other.isInstalled());
  EXPECT_EQ(other.name(), std::nullopt);
  EXPECT_EQ(other.icon(), kit::genericApplicationIcon());
}

TEST_F(InstalledApplications, LocalizedNameIsTheEntrysNameElseTheFileNameWithoutItsSuffix) {
  install("org.example.Viewer", "[Desktop Entry]\nType=Application\nName=Image Viewer\n");
  EXPECT_EQ(kit::localizedName(*platform::Url::fileUrl(root_ / "data/applications/org.example.Viewer.desktop")),
            "Image Viewer");
  EXPECT_EQ(kit::localizedName(*platform::Url::fileUrl("/opt/Tools/Sketch.app")), "Sketch");
  EXPECT_EQ(kit::localizedName(*platform::Url::fileUrl("/opt/Tools/notes")), "notes");
  EXPECT_EQ(kit::localizedName(*platform::Url::fileUrl("/opt/Tools/Gone.desktop")), "Gone");
  // An entry outside the applications folders is named by its entry too.
  const auto elsewhere = root_ / "foo.desktop";
  std::ofstream(elsewhere) << "[Desktop Entry]\nType=Application\nName=Foo Bar\n";
  EXPECT_EQ(kit::localizedName(*platform::Url::fileUrl(elsewhere)), "Foo Bar");
}

TEST(BundleIdentifierValue, CodesAsTheBareTextInsideOtherCodedValues) {
  const std::vector<BundleIdentifier> ids{"org.example.Editor", "Org.Example.editor"};
  EXPECT_EQ(kit::jsonText(kit::encodeJson(ids)), R"(["org.example.Editor","Org.Example.editor"])");
  EXPECT_EQ(kit::decodeJson<BundleIdentifier>(kit::Json(" not checked ")), BundleIdentifier(" not checked "));
  EXPECT_THROW(kit::decodeJson<BundleIdentifier>(kit::Json(3)), kit::DecodingError);
  // Inside other coded values too, both ways.
  EXPECT_EQ(kit::decodeJson<std::vector<BundleIdentifier>>(kit::encodeJson(ids)), ids);
  const std::map<std::string, BundleIdentifier> byName{{"editor", BundleIdentifier("org.example.Editor")}};
  EXPECT_EQ((kit::decodeJson<std::map<std::string, BundleIdentifier>>(kit::encodeJson(byName))), byName);
  EXPECT_THROW(kit::decodeJson<std::vector<BundleIdentifier>>(kit::Json::parse(R"(["a", 3])")), kit::DecodingError);
  // Ordered by the raw text, letter case counting.
  EXPECT_TRUE(ids[1] < ids[0]);
  EXPECT_EQ(std::set<BundleIdentifier>(ids.begin(), ids.end()).begin()->rawValue, "Org.Example.editor");
}

TEST(InstalledAppValue, IsIdentifiedByItsUrlWhichKeysUnorderedContainers) {
  static_assert(kit::Identifiable<kit::InstalledApp>);
  const auto editor = *platform::Url::fileUrl("/usr/share/applications/org.example.Editor.desktop");
  std::unordered_set<platform::Url> urls{editor, *platform::Url::fileUrl(editor.path())};
  EXPECT_EQ(urls.size(), 1u);
  EXPECT_TRUE(urls.contains(*platform::Url::parse(editor.absoluteString())));
  const kit::InstalledApp app("org.example.Editor", "Editor", "1.0", "1", editor);
  EXPECT_EQ(kit::AnyHashable(app.id()), kit::AnyHashable(editor));
}

TEST_F(InstalledApplications, AnswersAreRememberedForOneSecondNegativeOnesToo) {
  BundleIdentifier late("org.example.Late");
  EXPECT_FALSE(late.isInstalled());
  install("org.example.Late", "[Desktop Entry]\nType=Application\nName=Late\n");
  clock.advance(900ms);
  EXPECT_FALSE(late.isInstalled());
  EXPECT_EQ(late.name(), std::nullopt);
  clock.advance(200ms);
  EXPECT_TRUE(late.isInstalled());
  EXPECT_EQ(late.name(), "Late");

  std::filesystem::remove(root_ / "data/applications/org.example.Late.desktop");
  EXPECT_TRUE(late.isInstalled());
  clock.advance(1100ms);
  EXPECT_TRUE(late.url(5s)) << "a caller's longer lifetime takes the remembered answer";
  EXPECT_FALSE(late.isInstalled());
}

TEST_F(InstalledApplications, DefaultMailApplicationComesFromTheSchemeHandler) {
  EXPECT_EQ(kit::defaultEmailAppUrl().path(), "/Applications/Mail.app");
  EXPECT_EQ(kit::defaultEmailAppBundleIdentifier(), BundleIdentifier::appleMail());
  install("org.example.Mail", "[Desktop Entry]\nType=Application\nName=Mail\n");
  std::filesystem::create_directories(root_ / "config");
  std::ofstream(root_ / "config/mimeapps.list")
      << "[Default Applications]\nx-scheme-handler/mailto=org.example.Mail.desktop\n";
  EXPECT_EQ(kit::defaultEmailAppBundleIdentifier(), BundleIdentifier("org.example.Mail"));
}

// As the logs show an identifier, with its text quoted as a debugger shows it.
TEST(BundleIdentifierDescription, NamesTheTypeAndQuotesTheRawValue) {
  EXPECT_EQ(BundleIdentifier("org.example.App").description(), R"(BundleIdentifier(rawValue: "org.example.App"))");
  EXPECT_EQ(BundleIdentifier("a\"b\\c").description(), R"(BundleIdentifier(rawValue: "a\"b\\c"))");
}

}  // namespace
