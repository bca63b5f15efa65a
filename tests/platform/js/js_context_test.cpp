#include "platform/js/js_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/js/js_support.h"

namespace {

using js_test::evaluateToString;
using js_test::makeContext;

TEST(JSContextTest, TextCrossesTheBoundaryIntact) {
  auto context = makeContext();
  auto global = context->globalObject();
  const std::string text = std::string("a\0b ", 4) + "Grüße 🐤 \t\n";
  global.setProperty("text", context->makeString(text));

  EXPECT_EQ(evaluateToString(*context, "text.length"), "15");  // the NUL and the surrogate pair count
  EXPECT_EQ(evaluateToString(*context, "text"), text);
  EXPECT_EQ(evaluateToString(*context, "'\\u00e9\\ud83d\\udc24'"), "é🐤");
  // Script text with a NUL inside a string literal is not cut short.
  EXPECT_EQ(evaluateToString(*context, std::string("'x\0y'.length", 12)), "3");
}

TEST(JSContextTest, BrokenTextBecomesReplacementCharacters) {
  auto context = makeContext();
  context->globalObject().setProperty("text", context->makeString("ok\xff\xc3"));
  EXPECT_EQ(evaluateToString(*context, "text"), "ok\uFFFD\uFFFD");
  // A lone surrogate has no UTF-8 form.
  EXPECT_EQ(evaluateToString(*context, "'a\\ud800b'"), "a\uFFFDb");
}

TEST(JSContextTest, ThrownValuesAreReportedAndClearedByTheNextEvaluation) {
  auto context = makeContext();
  EXPECT_FALSE(context->evaluateScript("throw new RangeError('out')").has_value());
  auto exception = context->exception();
  ASSERT_TRUE(exception.has_value());
  EXPECT_EQ(exception->property("name").toString(), "RangeError");
  EXPECT_EQ(exception->property("message").toString(), "out");
  EXPECT_TRUE(exception->property("line").isNumber());

  EXPECT_TRUE(context->evaluateScript("1").has_value());
  EXPECT_FALSE(context->exception().has_value());

  EXPECT_FALSE(context->evaluateScript("this is not javascript").has_value());
  EXPECT_EQ(context->exception()->property("name").toString(), "SyntaxError");

  // The script's name goes into the errors raised in it; a check of the syntax runs nothing.
  EXPECT_FALSE(context->evaluateScript("\n  undefinedName", "named").has_value());
  EXPECT_EQ(context->exception()->property("sourceURL").toString(), "named");
  EXPECT_FALSE(context->syntaxError("globalThis.ran = true;").has_value());
  EXPECT_EQ(evaluateToString(*context, "typeof ran"), "undefined");
  const auto syntaxError = context->syntaxError("globalThis.ran = true;\nlet a = (;");
  ASSERT_TRUE(syntaxError.has_value());
  EXPECT_EQ(syntaxError->property("line").toString(), "2");
  EXPECT_EQ(evaluateToString(*context, "typeof ran"), "undefined");
}

TEST(JSContextTest, NativeFunctionsReceiveArgumentsAndReportFailures) {
  auto context = makeContext();
  std::vector<std::string> received;
  context->setFunction("record", [&](const std::vector<platform::JSValue>& arguments) {
    for (const auto& argument : arguments) received.push_back(argument.toString().value_or("?"));
  });
  context->setFunction("fail", [](const std::vector<platform::JSValue>&) { throw std::runtime_error("native"); });

  EXPECT_EQ(evaluateToString(*context, "String(record('a', 2, null))"), "undefined");
  EXPECT_EQ(received, (std::vector<std::string>{"a", "2", "null"}));
  EXPECT_EQ(evaluateToString(*context, "try { fail() } catch (e) { e.message }"), "native");
}

}  // namespace
