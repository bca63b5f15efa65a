#include "engine/preference_keys.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "engine/clearing_settings.h"
#include "platform/core/file_reading.h"
#include "platform/prefs/plist_codec.h"

using namespace kit::Preferences;

namespace {

// The test program runs in a private config home (tests/support/private_config_home.cpp).
std::filesystem::path configHome() { return std::getenv("XDG_CONFIG_HOME"); }

TEST(ApplicationKeys, AFreshInstallationReadsTheDefaultsAndStoresNothing) {
  EXPECT_TRUE(get(Keys::automaticallyClearFormatting()));
  EXPECT_FALSE(get(Keys::hideMenuBarIcon()));
  EXPECT_TRUE(get(Keys::dimMenuBarIconWhenDisabled()));
  EXPECT_TRUE(get(Keys::excludedApps()).empty());
  for (auto* key : {&Keys::preserveLinks(), &Keys::removeTrackingParametersFromURLs(),
                    &Keys::improveCompatibilityWithAppendOperations(), &Keys::transformTextWithJavaScript(),
                    &Keys::trimLeadingAndTrailingWhitespace(), &Keys::normalizeUnorderedLists(),
                    &Keys::_clearFormattingWhenEnablingAutoFormatting(), &Keys::_forceUsingFrontmostApp()})
    EXPECT_FALSE(get(*key)) << key->name();
  EXPECT_EQ(get(Keys::javaScriptCode()), "");

  auto& suite = UserDefaults::standard();
  EXPECT_EQ(suite.suiteName(), "com.kestrova.Quillet");
  EXPECT_TRUE(suite.persistentDomain().empty());
  EXPECT_EQ(suite.dictionaryRepresentation().size(), 13u);
  suite.flush();
  EXPECT_FALSE(std::filesystem::exists(configHome() / "com.kestrova.Quillet.plist"));
}

TEST(ApplicationKeys, ExcludedAppsAreStoredAsPlainStringsInOrder) {
  set(Keys::excludedApps(), {kit::BundleIdentifier("org.keepassxc.KeePassXC"), kit::BundleIdentifier("firefox-esr")});
  UserDefaults::standard().flush();
  auto file = platform::parsePropertyListDictionary(
      platform::readWholeFile(configHome() / "com.kestrova.Quillet.plist").value_or(""));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->at("excludedApps"),
            platform::PlistValue(platform::PlistArray{"org.keepassxc.KeePassXC", "firefox-esr"}));
  auto read = get(Keys::excludedApps());
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].rawValue, "org.keepassxc.KeePassXC");
  EXPECT_EQ(read[1].rawValue, "firefox-esr");
  EXPECT_EQ(engine::ClearingSettings::current().excludedApps, read);

  // An array holding anything but texts is no list of applications: the clearing reads none.
  UserDefaults::standard().set("excludedApps", platform::PlistArray{"firefox-esr", int64_t{1}});
  EXPECT_TRUE(engine::ClearingSettings::current().excludedApps.empty());
  Keys::excludedApps().reset();
}

}  // namespace
