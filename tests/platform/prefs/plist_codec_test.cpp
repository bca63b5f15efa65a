#include "platform/prefs/plist_codec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "platform/prefs/binary_plist_reader.h"
#include "support/preference_files.h"
#include "support/temporary_folder.h"
#include "support/well_formed_xml.h"

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
                 {"unicode key ✓ <&>", "line\nbreak\r\n\ttab & <tag> ]]> \"quoted\" 'single'"},
                 {"edges of what XML holds", "\xED\x9F\xBF \xEE\x80\x80 \xEF\xBF\xBD \xF4\x8F\xBF\xBF 😀"},
                 {"empty", PlistDict{}},
                 {"", PlistArray{}}};
  const std::string xml = xmlPropertyList(dict);
  EXPECT_EQ(parsePropertyListDictionary(xml), dict);
  EXPECT_TRUE(isWellFormedXml(xml)) << xml;
  EXPECT_EQ(parsePropertyListDictionary(xmlPropertyList({})), PlistDict{});
}

// The form a dictionary is written in, and whether its bytes give it back whole to us and to another reader.
struct Written {
  std::optional<PropertyListDocument::Form> form;  // none: not written
  std::string problem;
  bool readBackWhole = false;
  std::string otherReaderSays;  // python3's plistlib on the bytes, `expression` on the root dictionary `d`
};

static Written written(const PlistDict& dict, const std::string& expression = "len(d)") {
  PropertyListDocument document(dict);
  Written result;
  const auto bytes = document.bytes();
  result.problem = document.problem();
  if (!bytes) return result;
  result.form = document.form();
  result.readBackWhole = parsePropertyListDictionary(*bytes) == dict;
  TemporaryFolder folder;
  const auto file = folder.path() / "written.plist";
  std::ofstream(file, std::ios::binary) << *bytes;
  result.otherReaderSays = prefs_test::anotherReaderSays(file, expression);
  return result;
}

constexpr auto xmlForm = PropertyListDocument::Form::xml;
constexpr auto binaryForm = PropertyListDocument::Form::binary;

// XML has no way to write control characters but tab, line feed and carriage return, nor U+FFFE and U+FFFF, even as
// character references: what holds them is written in the binary form, which gives them back as they are, beside
// every other kind and text that is not ASCII (written as UTF-16).
TEST(PropertyListCodec, KeysAndTextXmlCannotHoldAreWrittenInTheBinaryForm) {
  const std::string script = "function transform(text) {\f\n  return text; // \x1B[1m\v\n}";
  for (const auto& [dict, key] : std::vector<std::pair<PlistDict, std::string>>{
           {{{"javaScriptCode", script}, {"Zv_launchCount", int64_t{3}}}, "javaScriptCode"},
           {{{"bell", "ring\x07"}}, "bell"},
           {{{"not a character", "\xEF\xBF\xBE and \xEF\xBF\xBF"}}, "not a character"},
           {{{"byte order mark", "\xEF\xBB\xBF\f"}}, "byte order mark"},
           {{{"esc\x1B key", "grüße ✓ 😀"}}, "esc\x1B key"},
       }) {
    SCOPED_TRACE(key);
    const auto result = written(dict, "d[bytes.fromhex('" + prefs_test::hexDigits(key) + "').decode()].encode().hex()");
    EXPECT_EQ(result.form, binaryForm) << result.problem;
    EXPECT_TRUE(result.readBackWhole);
    EXPECT_EQ(result.otherReaderSays, prefs_test::hexDigits(*dict.at(key).get<std::string>()));
  }
  PlistDict everyKind{{"text", "\f grüße"},
                      {"min", int64_t{INT64_MIN}},
                      {"negative", int64_t{-7}},
                      {"max", int64_t{INT64_MAX}},
                      {"ratio", 0.25},
                      {"flag", true},
                      {"when", dateFromReferenceSeconds(-12345)},
                      {"blob", PlistData{std::string("\0\x01\xff", 3)}},
                      {"nested", PlistDict{{"list", PlistArray{"a", PlistArray{}, PlistDict{}}}}},
                      {"", ""}};
  const auto result = written(everyKind, "[d['negative'], d['min'], d['max'], d['blob'].hex(), d['nested']]");
  EXPECT_EQ(result.form, binaryForm);
  EXPECT_TRUE(result.readBackWhole);
  EXPECT_EQ(result.otherReaderSays,
            "[-7, -9223372036854775808, 9223372036854775807, '0001ff', {'list': ['a', [], {}]}]");
}

// XML holds neither a NUL nor bytes that are no UTF-8; the binary form holds both as they are: a NUL in an ASCII (or
// UTF-16) text, which other readers take too, and bytes that are no UTF-8 as they are in an ASCII text, as other tools'
// lists bring them in. A key with a NUL stays a key of its own.
TEST(PropertyListCodec, NulsAndBytesThatAreNoUtf8AreWrittenInTheBinaryFormAsTheyAre) {
  using namespace std::string_literals;
  for (const auto& [dict, said] : std::vector<std::pair<PlistDict, std::string>>{
           {{{"key\0withnul"s, "first"}, {"key", "second"}}, "['key', 'key\\x00withnul']"},
           {{{"nul inside", "x\0y"s}, {"and ✓", "\0✓"s}}, "['and ✓', 'nul inside']"},
           {{{"latin", PlistArray{"caf\xE9"}}}, ""},
           {{{"overlong", "\f\xC0\xAF"}}, ""},
           {{{"surrogate", "\xED\xA0\x80"}}, ""},
           {{{"nested", PlistDict{{"cut\xE2\x82", true}}}}, ""},
           {{{"caf\xE9", true}, {"Zv_launchCount", int64_t{3}}}, ""},
       }) {
    SCOPED_TRACE(describe(PlistValue(dict)));
    const auto result = written(dict, "sorted(d)");
    EXPECT_EQ(result.form, binaryForm) << result.problem;
    EXPECT_TRUE(result.readBackWhole);
    if (!said.empty()) {
      EXPECT_EQ(result.otherReaderSays, said);
    }
  }
}

// Equal texts and keys are written once, and dictionaries of every size and count of objects read back whole.
TEST(PropertyListCodec, TheBinaryFormWritesEqualTextsOnceAndHoldsLargeCounts) {
  const std::string script(1000, 'x');
  PlistDict shared{{"\f", ""}};
  PlistArray many;
  for (int i = 0; i < 70000; ++i) many.push_back(i % 3 == 0 ? PlistValue(script) : PlistValue(int64_t{i} << (i % 40)));
  shared["many"] = many;
  PlistArray long_(300, PlistValue(std::string(70000, 'y') + "\f"));
  shared["long"] = long_;
  const auto result = written(shared, "[len(d['many']), d['many'][1], d['many'][0][:3], len(d['long'][299])]");
  EXPECT_EQ(result.form, binaryForm) << result.problem;
  EXPECT_TRUE(result.readBackWhole);
  EXPECT_EQ(result.otherReaderSays, "[70000, 2, 'xxx', 70001]");
  PropertyListDocument document(shared);
  EXPECT_LT(document.bytes()->size(), 1u << 20) << "each text once, however often it is used";
}

// libxml2 (as other readers built on it) refuses an element inside more than 256 others: below <plist> and the root
// <dict>, 255 levels of arrays and dictionaries, empty at the last one. Deeper nesting, which binary lists hold, is
// written in the binary form.
TEST(PropertyListCodec, NestingDeeperThanXmlReadersTakeIsWrittenInTheBinaryForm) {
  const auto nested = [](int depth, const PlistValue& innermost) {
    PlistValue value = innermost;
    for (int level = 0; level < depth; ++level) value = PlistValue(PlistArray{value});
    return PlistDict{{"deep", value}, {"Zv_launchCount", int64_t{3}}};
  };
  // How many arrays and dictionaries lie inside each other.
  const std::string levels =
      "(lambda f: f(f, d['deep']))(lambda f, x: 1 + max((f(f, y) for y in (x.values() if isinstance(x, dict) else x)), "
      "default=0) if isinstance(x, (list, dict)) else 0)";
  for (const auto& [what, dict, form] : std::vector<std::tuple<std::string, PlistDict, PropertyListDocument::Form>>{
           {"255 levels, the last an empty array", nested(254, PlistArray{}), xmlForm},
           {"255 levels, the last holding a value", nested(254, PlistArray{true}), binaryForm},
           {"256 levels, as deep as files are read", nested(255, PlistArray{}), binaryForm},
       }) {
    SCOPED_TRACE(what);
    const auto result = written(dict, levels);
    EXPECT_EQ(result.form, form) << result.problem;
    EXPECT_TRUE(result.readBackWhole);
    EXPECT_EQ(result.otherReaderSays, what.substr(0, 3));
    // XML of the same dictionary, as the library writes it, is what libxml2 takes exactly when it is chosen.
    PropertyListDocument document(dict);
    TemporaryFolder folder;
    std::ofstream(folder.path() / "written", std::ios::binary) << *document.bytes();
    EXPECT_EQ(
        isWellFormedXml(prefs_test::commandOutput("plistutil -f xml -o - -i " + (folder.path() / "written").string())),
        form == xmlForm);
  }
}

// A dictionary whose XML would be larger than files are read with is written in the binary form when that is read
// whole, counted as the reader counts it: each copy of a text that occurs many times (the binary form holds it once)
// at its full size. Too large in both forms, it is not written: the next start would set the file aside.
TEST(PropertyListCodec, ADictionaryTooLargeForXmlIsWrittenInTheBinaryFormUnlessThatIsTooLargeToo) {
  constexpr std::size_t limit = 64u << 20;
  const std::string megabyte(1u << 20, '&');
  for (const auto& [what, dict, length] : std::vector<std::tuple<std::string, PlistDict, std::size_t>>{
           {"escaped", {{"small", "x"}, {"large", std::string(limit / 5 + 1, '&')}}, limit / 5 + 1},
           {"as base64",
            {{"small", "x"}, {"large", PlistData{std::string(limit / 4 * 3 + 3, '\0')}}},
            limit / 4 * 3 + 3},
           {"one text 60 times", {{"large", PlistArray(60, megabyte)}}, 60},
       }) {
    SCOPED_TRACE(what);
    const auto result = written(dict, "len(d['large'])");
    EXPECT_EQ(result.form, binaryForm) << result.problem;
    EXPECT_TRUE(result.readBackWhole);
    EXPECT_EQ(result.otherReaderSays, std::to_string(length));
  }
  const std::string tooLarge =
      "in either form they would take more than the 64 MiB a preferences file is read with, "
      "the value of \"large\" the most";
  EXPECT_EQ(written({{"small", "x"}, {"large", std::string(limit - 16, 'x')}}).problem, tooLarge) << "with the markup";
  EXPECT_EQ(written({{"small", "x"}, {"large", PlistArray(65, megabyte)}}).problem, tooLarge) << "one text 65 times";

  const PlistDict largest{{"large", std::string(limit - 2000, 'x')}};
  const auto result = written(largest, "len(d['large'])");
  EXPECT_EQ(result.form, xmlForm) << result.problem;
  EXPECT_TRUE(result.readBackWhole);
  EXPECT_EQ(result.otherReaderSays, std::to_string(limit - 2000));
}

using prefs_test::binaryAsciiString;
using prefs_test::binaryPropertyList;

// Each value costs the program and the library about 160 bytes in memory, whatever its size in the file: a file is read
// while its values fit the 64 MiB files are read with so counted, so that reading it and writing it again take a small
// multiple of that. A binary list of 2 KB standing for a million tiny values, and XML of a million <true/>, are refused
// (read, they took more than 150 MB, and 200 MB once written again), and say why; the XML before the library reads it.
TEST(PropertyListCodec, ReadingTakesNoMoreMemoryThanTheReadLimitHoweverSmallTheValues) {
  const std::string tooLarge = "it would take more than the 64 MiB a preferences file is read with";
  const std::string million = prefs_test::sharedReferenceChain(1000, 2);  // of empty arrays
  ASSERT_LT(million.size(), 2500u);
  auto reading = readPropertyListDictionary(million);
  EXPECT_FALSE(reading.dict);
  EXPECT_EQ(reading.problem, tooLarge);

  const auto xmlOf = [](std::size_t count) {
    std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>text</key><string><![CDATA[";
    for (std::size_t i = 0; i < count; ++i) xml += "<a><b>";
    xml += "]]></string><key>k</key><array>";
    for (std::size_t i = 0; i < count; ++i) xml += "<true/><!-- <a><b> -->";
    return xml + "</array></dict></plist>";
  };
  reading = readPropertyListDictionary(xmlOf(1'000'000));
  EXPECT_FALSE(reading.dict);
  EXPECT_EQ(reading.problem, tooLarge);
  reading = readPropertyListDictionary(xmlOf(300'000));
  ASSERT_TRUE(reading.dict) << "character data and comments hold no elements";
  EXPECT_EQ(reading.dict->at("k").get<PlistArray>()->size(), 300'000u);

  // What is written is counted alike: settings of many values, too many for either form, are not written.
  EXPECT_EQ(written({{"many", PlistArray(500'000, PlistValue(true))}}).problem,
            "in either form they would take more than the 64 MiB a preferences file is read with, the value of "
            "\"many\" the most");
}

// The reader takes 256 levels of arrays and dictionaries below the root dictionary. A deeper file is refused, and the
// refusal says so; settings nested deeper are not written, and the problem names the value.
TEST(PropertyListCodec, NestingDeeperThanTheReaderTakesIsRefusedWithAProblemThatSaysSo) {
  const std::string tooDeep = "it is nested deeper than the 256 levels a preferences file is read with";
  const auto nested = [](int depth) {
    PlistValue value = PlistArray{};
    for (int level = 1; level < depth; ++level) value = PlistValue(PlistArray{value});
    return PlistDict{{"deep", value}, {"flag", true}};
  };
  const auto xmlNested = [](int depth) {
    std::string xml = "<plist version=\"1.0\"><dict><key>k</key>";
    for (int i = 0; i < depth; ++i) xml += "<array>";
    for (int i = 0; i < depth; ++i) xml += "</array>";
    return xml + "</dict></plist>";
  };
  using namespace std::string_literals;
  std::vector<std::string> deepBinary{"\xD1\x01\x02"s, binaryAsciiString("k")};
  for (int level = 0; level < 300; ++level) deepBinary.push_back("\xA1"s + static_cast<char>(3 + level % 250));
  for (const auto& [what, list] : std::vector<std::pair<std::string, std::string>>{
           {"XML", xmlNested(257)},
           {"XML far deeper", xmlNested(100'000)},
           {"binary", binaryPropertyList(deepBinary)},
       }) {
    SCOPED_TRACE(what);
    const auto reading = readPropertyListDictionary(list);
    EXPECT_FALSE(reading.dict);
    EXPECT_EQ(reading.problem, tooDeep);
  }
  EXPECT_TRUE(parsePropertyListDictionary(xmlNested(256)));
  EXPECT_EQ(readPropertyListDictionary("<plist><dict><key>x</key>").problem, "") << "no limit stands in the way";

  EXPECT_EQ(written(nested(257)).problem,
            "the value of \"deep\" is nested deeper than the 256 levels a preferences file is read with");
  EXPECT_TRUE(written(nested(256)).readBackWhole);
}

TEST(PropertyListCodec, BooleansAreReadFromXmlAndBinaryListsAndNothingElseIs) {
  EXPECT_EQ(parsePropertyListBoolean("<?xml version=\"1.0\"?><plist version=\"1.0\"><true/></plist>"), true);
  EXPECT_EQ(parsePropertyListBoolean(binaryPropertyList({"\x08"})), false);
  EXPECT_EQ(parsePropertyListBoolean(binaryPropertyList({"\x09"})), true);
  for (const std::string& other :
       {std::string("<plist version=\"1.0\"><string>true</string></plist>"), binaryPropertyList({"\x51\x61"}),
        std::string("bplist00\x09"), std::string("true"), std::string()})
    EXPECT_EQ(parsePropertyListBoolean(other), std::nullopt) << other;
}

TEST(PropertyListCodec, BinaryListsReadEachEncodingOtherWritersUse) {
  using namespace std::string_literals;
  const auto list = binaryPropertyList({
      "\xD6\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C"s,  // six keys, then their six values
      binaryAsciiString("byte"), binaryAsciiString("wide"), binaryAsciiString("half"),
      "\x64\x00\xFC\x27\x13\xD8\x3D\xDE\x00"s,  // "ü✓😀" in UTF-16, a pair of surrogates for the last
      binaryAsciiString("long"), binaryAsciiString("shared"),
      "\x10\xC8"s,                                              // 200 in one byte
      "\x14\0\0\0\0\0\0\0\0\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFE"s,  // 2^64 - 2 in sixteen bytes
      "\x22\x3F\x00\x00\x00"s,                                  // 0.5 in four bytes
      "\x62\x00\x61\xDC\x00"s,                                  // "a" and a lone surrogate
      "\x4F\x10\x14" + std::string(20, 'x'),                    // its length after the marker
      "\xA2\x01\x01"s,                                          // one object twice
  });
  const PlistDict expected{
      {"byte", int64_t{200}},   {"wide", uint64_t{0xFFFFFFFFFFFFFFFE}},    {"half", 0.5},
      {"ü✓😀", "a\xEF\xBF\xBD"}, {"long", PlistData{std::string(20, 'x')}}, {"shared", PlistArray{"byte", "byte"}}};
  EXPECT_EQ(parsePropertyListDictionary(list), expected);
  EXPECT_EQ(parsePropertyListDictionary(xmlPropertyList(expected)), expected);
  // A binary list has no byte order mark: a text may begin with U+FEFF or U+FFFE.
  EXPECT_EQ(parsePropertyListDictionary(
                binaryPropertyList({"\xD1\x01\x02"s, binaryAsciiString("k"), "\x62\xFE\xFF\xFF\xFE"s})),
            (PlistDict{{"k", "\xEF\xBB\xBF\xEF\xBF\xBE"}}));
}

TEST(PropertyListCodec, BinaryListsThatDoNotHoldTogetherGiveNoValue) {
  using namespace std::string_literals;
  const std::string key = binaryAsciiString("k");
  for (const auto& [what, list] : std::vector<std::pair<std::string, std::string>>{
           {"a reference past the objects", binaryPropertyList({"\xD1\x01\x05"s, key})},
           {"a key that is no string", binaryPropertyList({"\xD1\x01\x01"s, "\x10\x01"s})},
           {"a null", binaryPropertyList({"\xD1\x01\x02"s, key, "\x00"s})},
           {"a UID", binaryPropertyList({"\xD1\x01\x02"s, key, "\x80\x01"s})},
           {"a set", binaryPropertyList({"\xD1\x01\x02"s, key, "\xC0"s})},
           {"a length past the end", binaryPropertyList({"\xD1\x01\x02"s, key, "\x5F\x10\xFF"s + "ab"})},
           {"a length of sixteen bytes",
            binaryPropertyList({"\xD1\x01\x02"s, key, "\x5F\x14"s + std::string(16, '\x01')})},
           {"an array holding itself", binaryPropertyList({"\xD1\x01\x02"s, key, "\xA1\x02"s})},
           {"a root of another kind", binaryPropertyList({"\xA0"s})},
           {"a root past the objects", binaryPropertyList({"\xD0"s}, 3)},
           {"an offset table past the end", binaryPropertyList({"\xD0"s}).substr(0, 9) + std::string(32, '\x7F')},
       })
    EXPECT_EQ(parsePropertyListDictionary(list), std::nullopt) << what;

  // Objects referred to again and again are refused once their copies outgrow the limit, however small the list.
  std::vector<std::string> chain{"\xD1\x01\x02"s, key};
  for (char next = 3; next < 40; ++next) chain.push_back("\xA2"s + next + next);
  chain.push_back("\x09"s);
  const std::string list = binaryPropertyList(chain);
  EXPECT_EQ(readBinaryPropertyListDictionary(list, {.maxDepth = 256, .maxBytes = 1 << 20}), std::nullopt);
  EXPECT_EQ(readBinaryPropertyListDictionary(list, {.maxDepth = 20, .maxBytes = std::size_t{1} << 62}), std::nullopt)
      << "nested deeper than allowed";
  EXPECT_EQ(parsePropertyListDictionary(list), std::nullopt);
}

// Other tools write each distinct string or number once and refer to it from everywhere it is used, so a small list
// may stand for a large dictionary: it is read as long as the copies fit the 64 MiB files are read with, each counted
// at its full size. A list whose references stand for far more is refused.
TEST(PropertyListCodec, SharedObjectsAreReadWhileTheirCopiesFitTheReadLimit) {
  using prefs_test::binaryCollection;
  using prefs_test::sharedReferenceChain;
  EXPECT_TRUE(parsePropertyListDictionary(sharedReferenceChain(600, 2))) << "360 thousand copies of an empty array";
  const std::string small = sharedReferenceChain(14, 7);  // a hundred million copies
  ASSERT_LT(small.size(), 600u);
  EXPECT_FALSE(parsePropertyListDictionary(small).has_value());

  // A text shared by every item of an array: 2,000 copies of 1,000 characters from a list of about 3 KB, and copies of
  // a text of 1 MiB up to the limit.
  const std::string settings = prefs_test::sharedTextList(2000, 1000);
  ASSERT_LT(settings.size(), 3200u);
  const auto read = parsePropertyListDictionary(settings);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->at("shared"), PlistValue(PlistArray(2000, std::string(1000, 's'))));
  EXPECT_TRUE(parsePropertyListDictionary(prefs_test::sharedTextList(63, 1u << 20)));
  EXPECT_FALSE(parsePropertyListDictionary(prefs_test::sharedTextList(65, 1u << 20)));

  // Many settings sharing their keys and values, as other tools write them, are read.
  const std::uint64_t entries = 20'000;
  std::vector<std::string> objects{"", binaryAsciiString("name"), binaryAsciiString("enabled"),
                                   binaryAsciiString("a shared name of some length"), "\x09"};
  std::vector<std::uint64_t> dictionary;
  for (std::uint64_t i = 0; i < entries; ++i) {
    dictionary.push_back(objects.size());
    objects.push_back(binaryAsciiString("entry " + std::to_string(i)));
  }
  for (std::uint64_t i = 0; i < entries; ++i) {
    dictionary.push_back(objects.size());
    objects.push_back(binaryCollection(0xD0, {1, 2, 3, 4}, 4));
  }
  objects[0] = binaryCollection(0xD0, dictionary, 4);
  const auto many = parsePropertyListDictionary(binaryPropertyList(objects, 0, 4));
  ASSERT_TRUE(many);
  EXPECT_EQ(many->size(), entries);
  EXPECT_EQ(many->at("entry 7"), PlistValue(PlistDict{{"name", "a shared name of some length"}, {"enabled", true}}));
}
