#include "kit/app/app_facts.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <filesystem>

namespace {

TEST(AppFactsTest, FactsThatThisMachineCanConfirm) {
  struct utsname name {};
  ASSERT_EQ(uname(&name), 0);
  EXPECT_EQ(kit::Device::architecture(), name.machine);
  EXPECT_EQ(kit::Device::osBuild(), name.release);
  EXPECT_EQ(kit::AppFacts::url(), std::filesystem::canonical("/proc/self/exe"));
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

TEST(AppFactsTest, ThePosixLocaleNamesLanguagesInEnglish) {
  EXPECT_EQ(kit::Locale::posix().toString(1234.5, 'f', 1), "1234.5") << "a point, no grouping";
  EXPECT_EQ(kit::localizedLanguageName(kit::Locale::posix(), "de"), "German");
  EXPECT_EQ(kit::localizedLanguageName(kit::Locale::posix(), "nb"), "Norwegian Bokmål");
  EXPECT_EQ(kit::localizedLanguageName(QLocale(QLocale::German, QLocale::Germany), "fr"), "Französisch");
  EXPECT_EQ(kit::localizedLanguageName(kit::Locale::posix(), "qqq"), std::nullopt);
  EXPECT_EQ(kit::localizedLanguageName(kit::Locale::posix(), ""), std::nullopt);
}

}  // namespace
