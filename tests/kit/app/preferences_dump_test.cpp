#include "kit/app/preferences_dump.h"

#include <gtest/gtest.h>

#include <memory>

#include "kit/preferences/key.h"

namespace {

using platform::PlistValue;

class PreferencesDumpTest : public ::testing::Test {
 protected:
  std::shared_ptr<platform::UserDefaults> suite_ = platform::UserDefaults::named("preferences-dump");
  void TearDown() override { kit::Preferences::removeAll(*suite_); }
};

TEST_F(PreferencesDumpTest, KitKeysFirstThenTheOthersEachInCanonicalOrder) {
  // "\u00e9" is "é" precomposed and "e\u0301" the same letter with a combining accent: both sort after "n".
  for (const char* key : {"alpha", "Zv_launchCount", "Beta", "__x", "NSWindow Frame", "ILMediaThing", "MSAppCenterId",
                          "nsLowercase", "UserIdHistory", "SessionIdHistory", "pastDevicesKey", "\u00e9b", "e\u0301"})
    suite_->set(key, PlistValue(true));
  suite_->registerDefaults({{"registeredOnly", PlistValue(true)}});
  EXPECT_EQ(kit::PreferencesDump::debugInfoDictionary(*suite_).keys(),
            (std::vector<std::string>{"Zv_launchCount", "__x", "Beta", "alpha", "nsLowercase", "e\u0301", "\u00e9b"}));
}

TEST_F(PreferencesDumpTest, ValuesReadAsTheirMeaning) {
  using kit::PreferencesDump::debugDisplayValue;
  EXPECT_EQ(debugDisplayValue(PlistValue(true)), "true");
  EXPECT_EQ(debugDisplayValue(PlistValue(int64_t{1})), "1");
  EXPECT_EQ(debugDisplayValue(PlistValue(1.23456)), "1.23");
  EXPECT_EQ(debugDisplayValue(PlistValue(2.0)), "2");
  EXPECT_EQ(debugDisplayValue(PlistValue(2.5)), "2.5");
  EXPECT_EQ(debugDisplayValue(PlistValue(-0.125)), "-0.13");
  EXPECT_EQ(debugDisplayValue(PlistValue(platform::PlistData{"abc"})), "<Data: 3 bytes>");
  EXPECT_EQ(debugDisplayValue(PlistValue(platform::PlistArray{PlistValue("org.gnome.TextEditor"), PlistValue(3)})),
            "[\"org.gnome.TextEditor\", 3]");
  EXPECT_EQ(debugDisplayValue(PlistValue(platform::PlistArray{PlistValue(1.23456)})), "[1.23456]");
  EXPECT_EQ(debugDisplayValue(PlistValue(platform::PlistDict{{"scale", PlistValue(0.125)}})), "[\"scale\": 0.125]");
  EXPECT_EQ(debugDisplayValue(PlistValue(platform::PlistDate(std::chrono::seconds(0)))), "1970-01-01 00:00:00 +0000");
  EXPECT_TRUE(kit::PreferencesDump::debugInfoDictionary(*platform::UserDefaults::named("never-written")).empty());

  // The whole value, as the preferences screen shows it.
  using kit::PreferencesDump::textualDescription;
  EXPECT_EQ(textualDescription(PlistValue(1.23456)), "1.23456");
  EXPECT_EQ(textualDescription(PlistValue(0.1 + 0.2)), "0.30000000000000004");
  EXPECT_EQ(textualDescription(PlistValue(true)), "true");
  EXPECT_EQ(textualDescription(PlistValue(platform::PlistData{std::string("ab\0\xff", 4)})),
            "{length = 4, bytes = 0x616200ff}");
  EXPECT_EQ(textualDescription(PlistValue(platform::PlistArray{PlistValue(1.23456), PlistValue("x")})),
            "[1.23456, \"x\"]");
}

TEST_F(PreferencesDumpTest, TheFilteredDomainIsWhatTheSuiteStoredLessOtherLibrariesKeys) {
  using kit::PreferencesDump::filteredPersistentDomain;
  EXPECT_TRUE(filteredPersistentDomain(*suite_).empty());
  suite_->registerDefaults({{"registeredOnly", PlistValue(true)}});
  for (const char* key : {"NSWindow Frame", "MSAppCenterId", "ILMediaThing", "nsLowercase", "UserIdHistory"})
    suite_->set(key, PlistValue(int64_t{1}));
  EXPECT_EQ(filteredPersistentDomain(*suite_),
            (platform::PlistDict{{"UserIdHistory", PlistValue(int64_t{1})}, {"nsLowercase", PlistValue(int64_t{1})}}));
}

}  // namespace
