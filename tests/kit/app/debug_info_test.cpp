// The application's facts, the preferences dump and the two debug-information texts, without a display.
#include "kit/app/debug_info.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <memory>

#include "kit/app/app_facts.h"
#include "kit/app/preferences_dump.h"
#include "kit/app/system_memory.h"
#include "kit/foundation/log.h"
#include "kit/preferences/key.h"
#include "platform/core/executor.h"

namespace {

using platform::PlistValue;

TEST(AppFactsTest, FactsThatThisMachineCanConfirm) {
  struct utsname name {};
  ASSERT_EQ(uname(&name), 0);
  EXPECT_EQ(kit::Device::architecture(), name.machine);
  EXPECT_EQ(kit::Device::osBuild(), name.release);
  EXPECT_EQ(kit::Device::osDescription(),
            kit::Device::osName() + " " + kit::Device::osVersion() + " (" + name.release + ")");
  EXPECT_EQ(kit::AppFacts::versionWithBuild(), std::string(QUILLET_VERSION) + " (" + QUILLET_BUILD + ")");
  EXPECT_EQ(kit::AppFacts::url(), std::filesystem::canonical("/proc/self/exe"));
  EXPECT_GT(kit::SystemMemory::residentBytes().value_or(0), 0);
  EXPECT_GT(kit::SystemMemory::availableBytes().value_or(0), 0);
}

TEST(AppFactsTest, SourcesAreReadLeniently) {
  const std::string osRelease =
      "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian \\\"GNU\\\"/Linux\"\n"
      "VERSION_ID=12\nID='debian'\n";
  EXPECT_EQ(kit::Device::osReleaseValue(osRelease, "NAME"), "Debian \"GNU\"/Linux");
  EXPECT_EQ(kit::Device::osReleaseValue(osRelease, "VERSION_ID"), "12");
  EXPECT_EQ(kit::Device::osReleaseValue(osRelease, "ID"), "debian");
  EXPECT_EQ(kit::Device::osReleaseValue(osRelease, "VERSION"), std::nullopt);

  EXPECT_EQ(kit::Device::hardwareModelFrom(std::string("ThinkPad X1\n"), std::string("Pi\0", 3)), "ThinkPad X1");
  EXPECT_EQ(kit::Device::hardwareModelFrom(std::nullopt, std::string("Raspberry Pi 4 Model B\0", 23)),
            "Raspberry Pi 4 Model B");
  EXPECT_EQ(kit::Device::hardwareModelFrom(std::string("\xff\xfe"), std::nullopt), "<Unknown model>");

  EXPECT_EQ(kit::AppFacts::parseBuildNumber("027"), 27);
  EXPECT_EQ(kit::AppFacts::parseBuildNumber("27a"), std::nullopt);
  EXPECT_EQ(kit::AppFacts::parseBuildNumber("-1"), std::nullopt);
  EXPECT_EQ(kit::AppFacts::parseBuildNumber(""), std::nullopt);
}

TEST(SystemMemoryTest, FieldsAndTexts) {
  const std::string status = "Name:\tquillet\nVmRSS:\t   24576 kB\nVmSwap:\t0 kB\n";
  EXPECT_EQ(kit::SystemMemory::kilobyteField(status, "VmRSS"), 24576 * 1024);
  EXPECT_EQ(kit::SystemMemory::kilobyteField(status, "VmRS"), std::nullopt);
  EXPECT_EQ(kit::SystemMemory::kilobyteField("VmRSS: lots kB\n", "VmRSS"), std::nullopt);
  EXPECT_EQ(kit::SystemMemory::kilobyteField("VmRSS: 99999999999999999999 kB\n", "VmRSS"), std::nullopt);

  EXPECT_EQ(kit::SystemMemory::memoryText(0), "Zero KB");
  EXPECT_EQ(kit::SystemMemory::memoryText(512), "512 bytes");
  EXPECT_EQ(kit::SystemMemory::memoryText(24 * 1024), "24 KB");
  EXPECT_EQ(kit::SystemMemory::memoryText(24 * 1024 * 1024 + 512 * 1024), "24.5 MB");
  EXPECT_EQ(kit::SystemMemory::memoryText(int64_t{5} * 1024 * 1024 * 1024 / 4), "1.25 GB");
}

TEST(DebugInfoTest, RunningTimeLeavesOutLeadingZeroUnits) {
  EXPECT_EQ(kit::DebugInfo::runningTimeText(0), "0s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(42.9), "42s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(185), "3m 5s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(7207), "2h 0m 7s");
  EXPECT_EQ(kit::DebugInfo::runningTimeText(-3), "0s");
}

class PreferencesDumpTest : public ::testing::Test {
 protected:
  std::shared_ptr<platform::UserDefaults> suite_ = platform::UserDefaults::named("preferences-dump");
  void TearDown() override { kit::Preferences::removeAll(*suite_); }
};

TEST_F(PreferencesDumpTest, KitKeysFirstThenTheOthersEachInCodePointOrder) {
  for (const char* key : {"alpha", "Zv_launchCount", "Beta", "__x", "NSWindow Frame", "ILMediaThing", "MSAppCenterId",
                          "nsLowercase", "UserIdHistory", "SessionIdHistory", "pastDevicesKey"})
    suite_->set(key, PlistValue(true));
  suite_->registerDefaults({{"registeredOnly", PlistValue(true)}});
  EXPECT_EQ(kit::PreferencesDump::debugInfoDictionary(*suite_).keys(),
            (std::vector<std::string>{"Zv_launchCount", "__x", "Beta", "alpha", "nsLowercase"}));
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
  EXPECT_EQ(debugDisplayValue(PlistValue(platform::PlistDate(std::chrono::seconds(0)))), "1970-01-01 00:00:00 +0000");
  EXPECT_TRUE(kit::PreferencesDump::debugInfoDictionary(*platform::UserDefaults::named("never-written")).empty());
}

class DebugTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setMainExecutorForTesting(&mainQueue_);
    kit::debugLogStore().clear();
  }
  void TearDown() override {
    kit::DebugInfo::debugInfoProviders().clear();
    kit::DebugInfo::extraDebugInfo().clear();
    for (const auto& key : kit::DebugInfo::atomicDebugInfoProviders().keys())
      kit::DebugInfo::atomicDebugInfoProviders().set(key, std::nullopt);
    for (const auto& key : kit::DebugInfo::atomicDebugInfo().keys())
      kit::DebugInfo::atomicDebugInfo().set(key, std::nullopt);
    platform::setMainExecutorForTesting(nullptr);
  }
  platform::ManualExecutor mainQueue_;
};

TEST_F(DebugTextTest, TextHasItsSectionsAndFillers) {
  const std::string text = kit::DebugInfo::debugInfoText();
  const std::string head = "# Quillet " + kit::AppFacts::versionWithBuild() +
                           "\n\nBundle Identifier: com.kestrova.Quillet\nLaunch Count: 1\nRunning Time: ";
  EXPECT_EQ(text.substr(0, head.size()), head);
  for (const char* piece : {"\nIs Installed from App Store: false\n\n# Device\n\nOS: ", "\nCalendar: gregorian\n",
                            "\nScreens: 0\nPrimary Screen Scale: 1\nKeyboard: <Unknown>\n"
                            "Is Bartender Running: false\nIs Bartender-like Running: false\n\n# Settings\n\nZv_",
                            "\n\n# Custom\n\n\n\n# Logs\n\n```\n<Empty>\n```"})
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\nin:\n" << text;
  EXPECT_EQ(text.substr(text.size() - 4), "\n```");
}

TEST_F(DebugTextTest, CustomSectionTakesTheAtomicEntriesWithProvidersWinning) {
  kit::DebugInfo::atomicDebugInfo().set("Both", std::optional<std::string>("stored"));
  kit::DebugInfo::atomicDebugInfo().set("Stored", std::optional<std::string>());
  kit::DebugInfo::atomicDebugInfoProviders().set(
      "Both", kit::DebugInfo::Provider([] { return std::optional<std::string>("provided"); }));
  kit::DebugInfo::debugInfoProviders()["Only Compact"] = [] { return std::optional<std::string>("x"); };
  const std::string text = kit::DebugInfo::debugInfoText();
  EXPECT_NE(text.find("\n\n# Custom\n\nBoth: provided\nStored: <nil>\n\n# Logs"), std::string::npos) << text;
  EXPECT_EQ(text.find("Only Compact"), std::string::npos);
}

TEST_F(DebugTextTest, CompactLinesKeepTheirOrderAndEntriesReplaceInPlace) {
  kit::DebugInfo::debugInfoProviders()["Screens"] = [] { return std::optional<std::string>("many"); };
  kit::DebugInfo::debugInfoProviders()["Setting - preserveLinks"] = [] { return std::optional<std::string>(); };
  kit::DebugInfo::extraDebugInfo()["Setting - preserveLinks"] = "stored";
  const std::string lines = kit::DebugInfo::debugInfo();
  std::vector<std::string> keys;
  for (size_t start = 0; start < lines.size();) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    const std::string line = lines.substr(start, end - start);
    keys.push_back(line.substr(0, line.find(": ")));
    if (keys.back() == "Screens") {
      EXPECT_EQ(line, "Screens: many");
    }
    if (keys.back() == "Setting - preserveLinks") {
      EXPECT_EQ(line, "Setting - preserveLinks: <nil>");
    }
    start = end + 1;
  }
  EXPECT_EQ(keys, (std::vector<std::string>{
                      "App", "Bundle Identifier", "OS", "Model", "Architecture", "Locale", "Calendar", "Screens",
                      "Primary Screen Scale", "App Memory Usage", "Remaining Available Memory", "App Store", "Keyboard",
                      "Is Bartender Running", "Is Bartender-like Running", "Setting - preserveLinks"}));
}

}  // namespace
