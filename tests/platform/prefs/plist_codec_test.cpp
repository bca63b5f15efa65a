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
