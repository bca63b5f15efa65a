#include "kit/app/media_formats.h"

#include <gtest/gtest.h>

#include <set>

namespace kit {
namespace {

TEST(MediaFormatsTest, EachFormatIsFoundByItsOwnRawValueOnlyAndCarriesAFourByteCode) {
  std::set<std::string_view> rawValues;
  for (AVFormat format : allAVFormats) {
    EXPECT_EQ(avFormat(rawValue(format)), format) << rawValue(format);
    EXPECT_TRUE(rawValues.insert(rawValue(format)).second) << "twice: " << rawValue(format);
    EXPECT_EQ(fourCC(format).size(), 4u) << rawValue(format);
  }
  EXPECT_EQ(avFormat("hevc"), AVFormat::hevc);
  EXPECT_EQ(avFormat("HEVC"), std::nullopt) << "a display name is no raw value";
  EXPECT_EQ(avFormat("Hevc"), std::nullopt) << "letter case counts";
  EXPECT_EQ(avFormat(""), std::nullopt);
}

TEST(MediaFormatsTest, NamesThatLookAlikeStayApartAndOnlyTheDebugTextTrimsTheCode) {
  EXPECT_EQ(description(AVFormat::hap1), description(AVFormat::hap7));
  EXPECT_NE(fourCC(AVFormat::hap1), fourCC(AVFormat::hap7));
  EXPECT_EQ(debugDescription(AVFormat::hap1), "Vidvox Hap (Hap1)");
  EXPECT_EQ(debugDescription(AVFormat::hap7), "Vidvox Hap (Hap7)");

  EXPECT_EQ(fourCC(AVFormat::appleAnimation), "rle ");
  EXPECT_EQ(debugDescription(AVFormat::appleAnimation), "Apple Animation (rle)");
  EXPECT_EQ(fourCC(AVFormat::quickTimeGraphics), "smc ");
  EXPECT_EQ(debugDescription(AVFormat::quickTimeGraphics), "QuickTime Graphics (smc)");
  EXPECT_EQ(debugDescription(AVFormat::hevc), "HEVC (hvc1)");
}

TEST(MediaFormatsTest, MediaTypesAreNamedByTheirCodeAndAnyOtherIsUnknown) {
  EXPECT_EQ(AVMediaType::audio.debugDescription(), "Audio");
  EXPECT_EQ(AVMediaType::closedCaption.debugDescription(), "Closed-caption content");
  EXPECT_EQ(AVMediaType{"vide"}.debugDescription(), "Video");
  EXPECT_EQ(AVMediaType{"auxv"}.debugDescription(), "Unknown");
  EXPECT_EQ(AVMediaType{""}.debugDescription(), "Unknown");
}

}  // namespace
}  // namespace kit
