#include "kit/app/media_formats.h"

#include <gtest/gtest.h>

namespace kit {
namespace {

TEST(AVFormat, RawValuesNamesAndCodesStayApart) {
  for (AVFormat format : allAVFormats) EXPECT_EQ(avFormat(rawValue(format)), format) << rawValue(format);
  EXPECT_EQ(avFormat("HEVC"), std::nullopt) << "a display name is no raw value";
  EXPECT_EQ(avFormat("Hevc"), std::nullopt);

  EXPECT_EQ(description(AVFormat::hap1), description(AVFormat::hap7));
  EXPECT_EQ(debugDescription(AVFormat::hap1), "Vidvox Hap (Hap1)");
  EXPECT_EQ(debugDescription(AVFormat::hap7), "Vidvox Hap (Hap7)");

  EXPECT_EQ(fourCC(AVFormat::appleAnimation), "rle ");
  EXPECT_EQ(fourCC(AVFormat::quickTimeGraphics), "smc ");
  EXPECT_EQ(debugDescription(AVFormat::appleAnimation), "Apple Animation (rle)");
  EXPECT_EQ(debugDescription(AVFormat::hevc), "HEVC (hvc1)");
}

TEST(AVMediaType, NamesKnownTypesOnly) {
  EXPECT_EQ(AVMediaType::closedCaption.debugDescription(), "Closed-caption content");
  EXPECT_EQ(AVMediaType::timecode.debugDescription(), "Time code");
  EXPECT_EQ(AVMediaType{"hint"}.debugDescription(), "Unknown");
}

}  // namespace
}  // namespace kit
