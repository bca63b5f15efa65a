#include "platform/js/js_context.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::shared_ptr<platform::JSContext> makeContext() {
  auto context = platform::JSContext::create(platform::JSVirtualMachine::create());
  EXPECT_NE(context, nullptr);
  return context;
}

std::string evaluateToString(platform::JSContext& context, const std::string& script) {
  auto value = context.evaluateScript(script);
  EXPECT_TRUE(value.has_value()) << script;
  return value ? value->toString().value_or("<threw>") : "<none>";
}

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
}

TEST(JSContextTest, PropertyReadsNeverThrowIntoTheCaller) {
  auto context = makeContext();
  auto trap = context->evaluateScript("({ get name() { throw new Error('no'); } })");
  ASSERT_TRUE(trap.has_value());
  EXPECT_TRUE(trap->property("name").isUndefined());
  EXPECT_TRUE(context->makeString("text").property("length").isUndefined());  // not an object
  auto unprintable = context->evaluateScript("({ toString() { throw 1; } })");
  EXPECT_FALSE(unprintable->toString().has_value());
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

TEST(JSContextTest, ValuesKeepTheirContextAlive) {
  std::optional<platform::JSValue> value;
  {
    auto context = makeContext();
    value = context->evaluateScript("({ kept: 'yes' })");
  }
  EXPECT_EQ(value->property("kept").toString(), "yes");
}

TEST(JSContextTest, TimeLimitStopsScriptsThatCatchTheTermination) {
  auto machine = platform::JSVirtualMachine::create();
  machine->setExecutionTimeLimit(50ms);
  auto context = platform::JSContext::create(machine);
  EXPECT_FALSE(machine->didExceedTimeLimit());
  EXPECT_TRUE(context->evaluateScript("1 + 1").has_value());
  EXPECT_FALSE(machine->didExceedTimeLimit());

  EXPECT_FALSE(context->evaluateScript("for (;;) { try { while (true) {} } catch (e) {} }").has_value());
  EXPECT_TRUE(machine->didExceedTimeLimit());
}

TEST(ToInt32Test, FollowsTheLanguageConversion) {
  EXPECT_EQ(platform::toInt32(3.9), 3);
  EXPECT_EQ(platform::toInt32(-3.9), -3);
  EXPECT_EQ(platform::toInt32(4294967296.0 + 5), 5);
  EXPECT_EQ(platform::toInt32(2147483648.0), -2147483648);
  EXPECT_EQ(platform::toInt32(-2147483649.0), 2147483647);
  EXPECT_EQ(platform::toInt32(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(platform::toInt32(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(platform::toInt32(1e300), 0);
}

}  // namespace
