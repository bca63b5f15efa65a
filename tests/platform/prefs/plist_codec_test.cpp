#include "platform/prefs/plist_codec.h"

#include <gtest/gtest.h>

#include "support/preference_files.h"

using namespace platform;

TEST(PropertyListCodec, InputThatIsNotAPreferencesDictionaryGivesNoValue) {
  EXPECT_FALSE(parsePropertyListDictionary(""));
  EXPECT_FALSE(parsePropertyListDictionary("<plist version=\"1.0\"><array/></plist>"));  // root is not a dict
  EXPECT_FALSE(parsePropertyListDictionary("bplist00"));
  // Nesting far deeper than any preference: refused instead of recursing without bound.
  std::string deep = "<plist version=\"1.0\"><dict><key>k</key>";
  for (int i = 0; i < 5000; ++i) deep += "<array>";
  for (int i = 0; i < 5000; ++i) deep += "</array>";
  deep += "</dict></plist>";
  EXPECT_FALSE(parsePropertyListDictionary(deep));
}

TEST(PropertyListCodec, EdgeValuesSurviveTheXmlForm) {
  PlistDict dict{{"min", int64_t{INT64_MIN}},
                 {"unicode key ✓", "line\nbreak & <tag> \xff invalid"},
                 {"empty", PlistDict{}},
                 {"", PlistArray{}}};
  EXPECT_EQ(parsePropertyListDictionary(xmlPropertyList(dict)), dict);
  EXPECT_EQ(parsePropertyListDictionary(xmlPropertyList({})), PlistDict{});
}

// A binary list of one object: the object, a one-byte offset table, and the trailer pointing at it.
static std::string binaryList(const std::string& object) {
  std::string list = "bplist00" + object;
  list += '\x08';  // the object starts right after the header
  std::string trailer(32, '\0');
  trailer[6] = 1;                                      // offsets of one byte
  trailer[7] = 1;                                      // object references of one byte
  trailer[15] = 1;                                     // one object; the root is object 0
  trailer[31] = static_cast<char>(8 + object.size());  // where the offset table starts
  return list + trailer;
}

TEST(PropertyListCodec, BooleansAreReadFromXmlAndBinaryListsAndNothingElseIs) {
  EXPECT_EQ(parsePropertyListBoolean("<?xml version=\"1.0\"?><plist version=\"1.0\"><true/></plist>"), true);
  EXPECT_EQ(parsePropertyListBoolean(binaryList("\x08")), false);
  EXPECT_EQ(parsePropertyListBoolean(binaryList("\x09")), true);
  for (const std::string& other :
       {std::string("<plist version=\"1.0\"><string>true</string></plist>"), binaryList("\x51\x61"),
        std::string("bplist00\x09"), std::string("true"), std::string()})
    EXPECT_EQ(parsePropertyListBoolean(other), std::nullopt) << other;
}
