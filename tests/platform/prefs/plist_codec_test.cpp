#include "platform/prefs/plist_codec.h"

#include <gtest/gtest.h>

#include "platform/prefs/binary_plist_reader.h"
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

// A binary list of the objects, object i under reference i: offsets of two bytes, references of one.
static std::string binaryList(const std::vector<std::string>& objects, int root = 0) {
  std::string list = "bplist00", table;
  for (const auto& object : objects) {
    table += static_cast<char>(list.size() >> 8);
    table += static_cast<char>(list.size() & 0xFF);
    list += object;
  }
  const std::size_t tableAt = list.size();
  std::string trailer(32, '\0');
  trailer[6] = 2;  // offsets of two bytes
  trailer[7] = 1;  // references of one byte
  trailer[15] = static_cast<char>(objects.size());
  trailer[23] = static_cast<char>(root);
  trailer[30] = static_cast<char>(tableAt >> 8);
  trailer[31] = static_cast<char>(tableAt & 0xFF);
  return list + table + trailer;
}

static std::string ascii(const std::string& text) { return static_cast<char>(0x50 | text.size()) + text; }

TEST(PropertyListCodec, BooleansAreReadFromXmlAndBinaryListsAndNothingElseIs) {
  EXPECT_EQ(parsePropertyListBoolean("<?xml version=\"1.0\"?><plist version=\"1.0\"><true/></plist>"), true);
  EXPECT_EQ(parsePropertyListBoolean(binaryList({"\x08"})), false);
  EXPECT_EQ(parsePropertyListBoolean(binaryList({"\x09"})), true);
  for (const std::string& other :
       {std::string("<plist version=\"1.0\"><string>true</string></plist>"), binaryList({"\x51\x61"}),
        std::string("bplist00\x09"), std::string("true"), std::string()})
    EXPECT_EQ(parsePropertyListBoolean(other), std::nullopt) << other;
}

TEST(PropertyListCodec, BinaryListsReadEachEncodingOtherWritersUse) {
  using namespace std::string_literals;
  const auto list = binaryList({
      "\xD6\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C"s,  // six keys, then their six values
      ascii("byte"), ascii("wide"), ascii("half"),
      "\x64\x00\xFC\x27\x13\xD8\x3D\xDE\x00"s,  // "ü✓😀" in UTF-16, a pair of surrogates for the last
      ascii("long"), ascii("shared"),
      "\x10\xC8"s,                                              // 200 in one byte
      "\x14\0\0\0\0\0\0\0\0\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFE"s,  // -2 in sixteen bytes
      "\x22\x3F\x00\x00\x00"s,                                  // 0.5 in four bytes
      "\x62\x00\x61\xDC\x00"s,                                  // "a" and a lone surrogate
      "\x4F\x10\x14" + std::string(20, 'x'),                    // its length after the marker
      "\xA2\x01\x01"s,                                          // one object twice
  });
  const PlistDict expected{{"byte", int64_t{200}},
                           {"wide", int64_t{-2}},
                           {"half", 0.5},
                           {"ü✓😀", "a\xEF\xBF\xBD"},
                           {"long", PlistData{std::string(20, 'x')}},
                           {"shared", PlistArray{"byte", "byte"}}};
  EXPECT_EQ(parsePropertyListDictionary(list), expected);
  EXPECT_EQ(parsePropertyListDictionary(xmlPropertyList(expected)), expected);
}

TEST(PropertyListCodec, BinaryListsThatDoNotHoldTogetherGiveNoValue) {
  using namespace std::string_literals;
  const std::string key = ascii("k");
  for (const auto& [what, list] : std::vector<std::pair<std::string, std::string>>{
           {"a reference past the objects", binaryList({"\xD1\x01\x05"s, key})},
           {"a key that is no string", binaryList({"\xD1\x01\x01"s, "\x10\x01"s})},
           {"a null", binaryList({"\xD1\x01\x02"s, key, "\x00"s})},
           {"a UID", binaryList({"\xD1\x01\x02"s, key, "\x80\x01"s})},
           {"a set", binaryList({"\xD1\x01\x02"s, key, "\xC0"s})},
           {"a length past the end", binaryList({"\xD1\x01\x02"s, key, "\x5F\x10\xFF"s + "ab"})},
           {"a length of sixteen bytes", binaryList({"\xD1\x01\x02"s, key, "\x5F\x14"s + std::string(16, '\x01')})},
           {"an array holding itself", binaryList({"\xD1\x01\x02"s, key, "\xA1\x02"s})},
           {"a root of another kind", binaryList({"\xA0"s})},
           {"a root past the objects", binaryList({"\xD0"s}, 3)},
           {"an offset table past the end", binaryList({"\xD0"s}).substr(0, 9) + std::string(32, '\x7F')},
       })
    EXPECT_EQ(parsePropertyListDictionary(list), std::nullopt) << what;

  // Objects referred to again and again are refused once their copies outgrow the limit, however small the list.
  std::vector<std::string> chain{"\xD1\x01\x02"s, key};
  for (char next = 3; next < 40; ++next) chain.push_back("\xA2"s + next + next);
  chain.push_back("\x09"s);
  const std::string list = binaryList(chain);
  EXPECT_EQ(readBinaryPropertyListDictionary(list, {.maxDepth = 256, .maxBytes = 1 << 20}), std::nullopt);
  EXPECT_EQ(readBinaryPropertyListDictionary(list, {.maxDepth = 20, .maxBytes = std::size_t{1} << 62}), std::nullopt)
      << "nested deeper than allowed";
  EXPECT_EQ(parsePropertyListDictionary(list), std::nullopt);
}
