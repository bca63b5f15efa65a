#include "kit/foundation/textual_description.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "kit/foundation/any_value.h"
#include "kit/foundation/bytes.h"

using kit::AnyValue;
using kit::describing;
using kit::reflecting;

namespace {

struct Streamed {
  int value;
  friend std::ostream& operator<<(std::ostream& out, const Streamed& s) { return out << "S" << s.value; }
};

struct TwoForms {
  std::string description() const { return "plain"; }
  std::string debugDescription() const { return "debug"; }
};

struct Opaque {};

static_assert(kit::Describable<std::vector<std::map<std::string, std::optional<Streamed>>>>);
static_assert(!kit::Describable<Opaque>);
static_assert(!kit::Describable<std::vector<Opaque>>);
static_assert(!kit::Describable<std::variant<int, Opaque>>);

TEST(TextualDescription, ScalarsPrintAsValuesNotAsTheStreamPrintsThem) {
  EXPECT_EQ(describing(true), "true");
  EXPECT_EQ(describing(false), "false");
  EXPECT_EQ(describing(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(describing(1234567.0), "1234567.0");
  EXPECT_EQ(describing(1.0), "1.0");
  EXPECT_EQ(describing(0.1f), "0.1");
  EXPECT_EQ(describing(uint8_t{65}), "65") << "an 8-bit integer is a number, not a character";
  EXPECT_EQ(describing(int8_t{-1}), "-1");
  EXPECT_EQ(describing(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(describing(UINT64_MAX), "18446744073709551615");
  EXPECT_EQ(describing('A'), "A");
  EXPECT_EQ(describing(nullptr), "nil");
}

TEST(TextualDescription, TextsArePlainWhenDescribedAndQuotedWithEscapesWhenReflected) {
  EXPECT_EQ(describing("say \"hi\"\n"), "say \"hi\"\n");
  EXPECT_EQ(describing(std::string_view("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(reflecting("say \"hi\"\\\n\t\r"), "\"say \\\"hi\\\"\\\\\\n\\t\\r\"");
  EXPECT_EQ(reflecting(std::string_view("a\0b\x1b\x7f", 5)), "\"a\\0b\\u{1B}\\u{7F}\"");
  EXPECT_EQ(reflecting('"'), "\"\\\"\"");
  EXPECT_EQ(reflecting(std::string("é")), "\"é\"");
  const char* none = nullptr;
  EXPECT_EQ(describing(none), "");
}

TEST(TextualDescription, OptionalsAndVariantsShowWhatTheyHold) {
  EXPECT_EQ(describing(std::optional<int>(5)), "Optional(5)");
  EXPECT_EQ(describing(std::optional<std::string>("x")), "Optional(\"x\")") << "the wrapped text is reflected";
  EXPECT_EQ(describing(std::optional<int>()), "nil");
  EXPECT_EQ(describing(std::optional<std::optional<bool>>(std::optional<bool>())), "Optional(nil)");
  EXPECT_EQ(describing(std::nullopt), "nil");

  std::variant<int, std::string, double> held = std::string("x");
  EXPECT_EQ(describing(held), "x");
  EXPECT_EQ(reflecting(held), "\"x\"");
  held = 0.5;
  EXPECT_EQ(describing(held), "0.5");
  EXPECT_EQ(describing(std::variant<std::monostate, int>()), "nil");
}

TEST(TextualDescription, ATypesOwnFormComesFirstAndDebugFormsReachThePlainOneLast) {
  EXPECT_EQ(describing(Streamed{3}), "S3");
  EXPECT_EQ(reflecting(Streamed{3}), "S3");
  EXPECT_EQ(describing(TwoForms{}), "plain");
  EXPECT_EQ(reflecting(TwoForms{}), "debug");
  // A type with only a debug form prints it everywhere.
  EXPECT_EQ(describing(kit::Bytes(12)), kit::Bytes(12).debugDescription());
  // Inside a collection every element shows its debug form.
  EXPECT_EQ(describing(std::vector<TwoForms>(2)), "[debug, debug]");
}

TEST(TextualDescription, CollectionsAreBracketedWithTheirElementsReflected) {
  EXPECT_EQ(describing(std::vector<std::string>{"a", "b"}), "[\"a\", \"b\"]");
  EXPECT_EQ(describing(std::vector<int>{}), "[]");
  EXPECT_EQ(describing(std::vector<bool>{true, false}), "[true, false]");
  EXPECT_EQ(describing(std::vector<uint8_t>{65, 66}), "[65, 66]");
  EXPECT_EQ(describing(std::vector<std::optional<int>>{1, std::nullopt}), "[Optional(1), nil]");
  EXPECT_EQ(describing(std::map<std::string, double>{{"a", 1.0}, {"b", 0.5}}), "[\"a\": 1.0, \"b\": 0.5]");
  EXPECT_EQ(describing(std::map<int, int>{}), "[:]");
  EXPECT_EQ(describing(std::pair<int, std::string>(1, "x")), "(1, \"x\")");
  EXPECT_EQ(describing(std::tuple<bool, char, double>(true, 'c', 2.0)), "(true, \"c\", 2.0)");
  EXPECT_EQ(describing(std::vector<std::vector<int>>{{1}, {2, 3}}), "[[1], [2, 3]]");
}

TEST(TextualDescription, TextsAreTakenAsTextsAlsoInsideAVariantOrAnAnyValue) {
  EXPECT_EQ(kit::asText("x"), "x");
  EXPECT_EQ(kit::asText(std::variant<int, std::string>("y")), "y");
  EXPECT_EQ(kit::asText(std::variant<int, std::string>(1)), std::nullopt);
  EXPECT_EQ(kit::asText(AnyValue(std::string("z"))), "z");
  EXPECT_EQ(kit::asText(AnyValue(5)), std::nullopt);
  EXPECT_EQ(kit::asText('c'), std::nullopt);
}

TEST(AnyValueTest, PrintsAsTheValueItHolds) {
  std::vector<AnyValue> values{
      "text",      true,       42,          0.1 + 0.2, std::optional<int>(5), std::vector<int>{1, 2},
      Streamed{7}, AnyValue(), std::nullopt};
  std::vector<std::string> plain, debug;
  for (const auto& value : values) {
    plain.push_back(value.description());
    debug.push_back(value.debugDescription());
  }
  EXPECT_EQ(plain, (std::vector<std::string>{"text", "true", "42", "0.30000000000000004", "Optional(5)", "[1, 2]", "S7",
                                             "nil", "nil"}));
  EXPECT_EQ(debug[0], "\"text\"");
  EXPECT_EQ(describing(std::vector<AnyValue>{"a", 1}), "[\"a\", 1]");
}

TEST(AnyValueTest, KeepsItsOwnCopyOfATextAndUnwrapsOptionals) {
  AnyValue text;
  {
    std::string source = "kept";
    text = AnyValue(std::string_view(source));
    source.assign("overwritten");
  }
  ASSERT_NE(text.get<std::string>(), nullptr) << "a view is held as a string of its own";
  EXPECT_EQ(*text.get<std::string>(), "kept");
  EXPECT_EQ(text.get<int>(), nullptr);

  AnyValue present = std::optional<int>(5), absent = std::optional<int>(), plain = 5;
  EXPECT_TRUE(present.isOptional());
  EXPECT_TRUE(AnyValue().isOptional());
  EXPECT_FALSE(plain.isOptional());
  ASSERT_TRUE(present.unwrapped().has_value());
  EXPECT_EQ(present.unwrapped()->description(), "5");
  EXPECT_EQ(absent.unwrapped(), std::nullopt);
  EXPECT_EQ(AnyValue().unwrapped(), std::nullopt);
  EXPECT_EQ(plain.unwrapped()->description(), "5");
}

}  // namespace
