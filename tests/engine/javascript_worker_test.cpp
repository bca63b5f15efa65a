#include "engine/javascript_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/javascript_error.h"
#include "kit/foundation/general_error.h"

namespace {

using engine::JavaScriptError;
using engine::runJavaScript;
using namespace std::chrono_literals;

// Runs the script and returns the error it must throw.
template <class ErrorType>
ErrorType failure(const std::string& code, engine::JavaScriptTimeLimit limit = engine::clearingPassScriptTimeLimit) {
  try {
    runJavaScript(code, "text", std::nullopt, {}, limit);
  } catch (const ErrorType& error) {
    return error;
  }
  ADD_FAILURE() << "no " << typeid(ErrorType).name() << " from: " << code;
  throw std::logic_error("missing error");
}

TEST(JavaScriptWorkerTest, ReturnedStringsReplaceTheText) {
  EXPECT_EQ(runJavaScript("return $.text.toUpperCase();", "hello", std::nullopt), "HELLO");
  const std::string text = std::string("tab\tnul\0end ", 12) + "🐤 naïve";
  EXPECT_EQ(runJavaScript("return $.text;", text, std::nullopt), text);
  // The wrapper closes on a line of its own, so a trailing line comment is harmless.
  EXPECT_EQ(runJavaScript("return 'done' // trailing comment", "x", std::nullopt), "done");
  EXPECT_EQ(runJavaScript("return ''", "x", std::nullopt), "");
}

TEST(JavaScriptWorkerTest, UndefinedAndNullLeaveTheTextAlone) {
  EXPECT_EQ(runJavaScript("$.text.toUpperCase();", "hello", std::nullopt), std::nullopt);
  EXPECT_EQ(runJavaScript("return;", "hello", std::nullopt), std::nullopt);
  EXPECT_EQ(runJavaScript("return null;", "hello", std::nullopt), std::nullopt);
  EXPECT_EQ(runJavaScript("", "hello", std::nullopt), std::nullopt);
}

TEST(JavaScriptWorkerTest, OtherReturnValuesAreRejected) {
  for (const char* code : {"return 42;", "return true;", "return {};", "return ['a'];", "return () => 'a';",
                           "return new String('boxed');"}) {
    EXPECT_STREQ(failure<kit::GeneralError>(code).what(), "Return value must be a string.") << code;
  }
}

TEST(JavaScriptWorkerTest, ThrownNonObjectsBecomeNonError) {
  for (const char* code : {"throw 'text';", "throw 7;", "throw undefined;"}) {
    auto error = failure<JavaScriptError>(code);
    EXPECT_EQ(error.name(), "NonError") << code;
    EXPECT_EQ(error.message(), "Unknown error.");
    EXPECT_EQ(error.stack(), "");
    EXPECT_EQ(error.line(), 0);
    EXPECT_EQ(error.column(), 0);
    EXPECT_EQ(error.causeMessage(), std::nullopt);
  }
}

TEST(JavaScriptWorkerTest, ThrownErrorsCarryNameMessageAndPosition) {
  auto error = failure<JavaScriptError>("const a = 1;\n  throw new TypeError('bad input');");
  EXPECT_EQ(error.name(), "TypeError");
  EXPECT_EQ(error.message(), "bad input");
  EXPECT_STREQ(error.what(), "bad input");
  EXPECT_EQ(error.line(), 2);
  EXPECT_GE(error.column(), 3);  // somewhere within the throw statement, as the engine counts it
  EXPECT_LE(error.column(), 36);
  EXPECT_NE(error.stack(), "");

  auto engineError = failure<JavaScriptError>("\n\nreturn $.missing.length;");
  EXPECT_EQ(engineError.name(), "TypeError");
  EXPECT_EQ(engineError.line(), 3);
  EXPECT_NE(engineError.message().find("$.missing"), std::string::npos);

  EXPECT_EQ(failure<JavaScriptError>("return (;").name(), "SyntaxError");
}

TEST(JavaScriptWorkerTest, ObjectsWithoutErrorFieldsGetDefaults) {
  auto plain = failure<JavaScriptError>("throw { message: 3, line: 'x', column: 4294967297.5 };");
  EXPECT_EQ(plain.name(), "Error");
  EXPECT_EQ(plain.message(), "Unknown error.");
  EXPECT_EQ(plain.line(), 0);
  EXPECT_EQ(plain.column(), 1);

  auto custom = failure<JavaScriptError>("throw { name: 'Custom', message: 'made up', stack: 's', line: -2 };");
  EXPECT_EQ(custom.name(), "Custom");
  EXPECT_EQ(custom.message(), "made up");
  EXPECT_EQ(custom.stack(), "s");
  EXPECT_EQ(custom.line(), -2);

  // A getter that throws is a missing field, not a failure of the runner.
  auto trapped = failure<JavaScriptError>("throw { get name() { throw new Error('no'); }, message: 'm' };");
  EXPECT_EQ(trapped.name(), "Error");
  EXPECT_EQ(trapped.message(), "m");
}

TEST(JavaScriptWorkerTest, OnlyAStringCauseIsKept) {
  EXPECT_EQ(failure<JavaScriptError>("throw new Error('outer', { cause: 'the reason' });").causeMessage(),
            "the reason");
  EXPECT_EQ(failure<JavaScriptError>("throw new Error('outer', { cause: new Error('inner') });").causeMessage(),
            std::nullopt);
  EXPECT_EQ(failure<JavaScriptError>("throw new Error('outer');").causeMessage(), std::nullopt);
}

TEST(JavaScriptWorkerTest, ConsoleLinesAreJoinedAndPrinted) {
  std::vector<std::string> lines;
  testing::internal::CaptureStdout();
  auto result = runJavaScript(
      "$.log('a', 1, null, undefined, [1, 2], {});\n"
      "console.log();\n"
      "console.log('🐤', '📋');\n"
      "$.log(Error.prototype.isError());",
      "text", std::nullopt, [&](const std::string& line) { lines.push_back(line); });
  std::string printed = testing::internal::GetCapturedStdout();

  EXPECT_EQ(result, std::nullopt);
  EXPECT_EQ(lines, (std::vector<std::string>{"a 1   1,2 [object Object]", "", "🐤 📋", "true"}));
  EXPECT_EQ(printed,
            "JSContext - console.log: a 1   1,2 [object Object]\n"
            "JSContext - console.log: \n"
            "JSContext - console.log: 🐤 📋\n"
            "JSContext - console.log: true\n");
}

TEST(JavaScriptWorkerTest, SourceAppIsSetOnlyWhenKnown) {
  EXPECT_EQ(runJavaScript("return $.sourceApp;", "text", "org.gnome.TextEditor"), "org.gnome.TextEditor");
  EXPECT_EQ(runJavaScript("return String('sourceApp' in $) + ' ' + typeof $.sourceApp;", "text", std::nullopt),
            "false undefined");
}

TEST(JavaScriptWorkerTest, RunsShareNothing) {
  const std::string probe =
      "return [typeof leaked, typeof [].extra, typeof ({}).polluted, $.text.toUpperCase(), JSON.stringify([1]),\n"
      "        typeof Error.prototype.isError, typeof $.left].join(' ');";
  const std::string clean = "undefined undefined undefined X [1] function undefined";
  ASSERT_EQ(runJavaScript(probe, "x", std::nullopt), clean);
  runJavaScript(
      "globalThis.leaked = 1; Array.prototype.extra = 2; Object.prototype.polluted = 3;\n"
      "String.prototype.toUpperCase = () => 'patched'; JSON.stringify = () => 'patched';\n"
      "delete Error.prototype.isError; $.left = 4;",
      "x", std::nullopt);
  EXPECT_EQ(runJavaScript(probe, "x", std::nullopt), clean);
  // Nor does a run that was stopped halfway.
  EXPECT_THROW(runJavaScript("Object.prototype.polluted = 3; while (true) {}", "x", std::nullopt, {}, 50ms),
               kit::GeneralError);
  EXPECT_EQ(runJavaScript(probe, "x", std::nullopt), clean);
}

TEST(JavaScriptWorkerTest, ScriptsThatRunTooLongAreStopped) {
  for (const char* code :
       {"while (true) {}", "for (;;) { try { while (true) {} } catch (e) {} }", "throw { get name() { for (;;) {} } };",
        // Each promise job starts the engine's own clock afresh.
        "(async () => { for (;;) await 0; })();",
        "const spin = () => { const end = Date.now() + 20; while (Date.now() < end) {} "
        "Promise.resolve().then(spin); }; spin();"}) {
    auto started = std::chrono::steady_clock::now();
    EXPECT_STREQ(failure<kit::GeneralError>(code, 100ms).what(), "Script took longer than 0.1 seconds.") << code;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s) << code;
  }
  // Without an explicit limit the clearing pass's limit applies.
  EXPECT_STREQ(failure<kit::GeneralError>("for (;;) {}").what(), "Script took longer than 1 second.");
  EXPECT_EQ(engine::scriptTimeLimitDescription(engine::scriptEditorTimeLimit), "Script took longer than 5 seconds.");
}

TEST(JavaScriptWorkerTest, ScriptsThatHoldTooMuchMemoryAreStopped) {
  for (const char* code : {"let a = []; while (true) a.push(new Array(1e6).fill(1));",
                           // Filled by the engine's own code, which no script-level check interrupts.
                           "new Uint8Array(2e9).fill(1);"}) {
    EXPECT_STREQ(failure<kit::GeneralError>(code, 10s).what(), "Script used more than 256 MB of memory.") << code;
    EXPECT_EQ(runJavaScript("return $.text;", "after", std::nullopt), "after");
  }
#if !defined(__SANITIZE_THREAD__)  // whose shadow of the worker's memory counts as the worker's own
  // What one run leaves behind does not count against the next.
  for (int run = 0; run < 3; ++run) {
    EXPECT_EQ(runJavaScript("return String(new Uint8Array(150e6).fill(1).length);", "x", std::nullopt), "150000000");
  }
#endif
}

TEST(JavaScriptWorkerTest, ARunCutShortOnTheCallersSideLeavesTheNextOnesWorking) {
  // The log handler gives up while the script still runs: nothing of that run reaches the next.
  auto giveUp = [](const std::string&) { throw std::runtime_error("closed"); };
  EXPECT_THROW(runJavaScript("$.log('first'); while (true) {}", "x", std::nullopt, giveUp), std::runtime_error);
  EXPECT_EQ(runJavaScript("return $.text;", "next", std::nullopt), "next");

  // Runs from several threads take turns.
  std::vector<std::thread> threads;
  std::atomic<int> correct = 0;
  for (int thread = 0; thread < 3; ++thread) {
    threads.emplace_back([&, thread] {
      for (int run = 0; run < 10; ++run) {
        auto text = std::to_string(thread) + ":" + std::to_string(run);
        if (runJavaScript("$.log($.text); return $.text + '!';", text, std::nullopt) == text + "!") ++correct;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(correct, 30);
}

TEST(JavaScriptWorkerTest, AMissingWorkerIsAnEngineThatCannotStart) {
  engine::JavaScriptWorker worker("/nonexistent/quillet-script-worker");
  try {
    worker.run("return 'x';", "text", std::nullopt, {}, engine::clearingPassScriptTimeLimit);
    ADD_FAILURE() << "the run did not fail";
  } catch (const kit::GeneralError& error) {
    EXPECT_STREQ(error.what(), "Failed to initialize JavaScript engine.");
  }
}

}  // namespace
