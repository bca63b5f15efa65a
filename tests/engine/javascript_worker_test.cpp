#include "engine/javascript_worker.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/javascript_error.h"
#include "kit/foundation/general_error.h"
#include "support/substitute_worker.h"

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
  EXPECT_EQ(error.column(), 13);  // where the error was made
  EXPECT_NE(error.stack(), "");

  auto engineError = failure<JavaScriptError>("\n\nreturn $.missing.length;");
  EXPECT_EQ(engineError.name(), "TypeError");
  EXPECT_EQ(engineError.line(), 3);
  EXPECT_NE(engineError.message().find("$.missing"), std::string::npos);

  EXPECT_EQ(failure<JavaScriptError>("return (;").name(), "SyntaxError");
}

// "name line:column" of the error the code throws.
std::string placeOfError(const std::string& code) {
  auto error = failure<JavaScriptError>(code);
  return error.name() + " " + std::to_string(error.line()) + ":" + std::to_string(error.column());
}

// Lines and columns count from 1 in the code as the user wrote it; a column counts the characters the user sees,
// and points at the start of the name or token at fault.
TEST(JavaScriptWorkerTest, ErrorsAreShownWhereTheyAreInTheCode) {
  // A property read of undefined, on the first line (which the engine shares with code of its own).
  EXPECT_EQ(placeOfError("return $.text.missing.length;"), "TypeError 1:15");
  EXPECT_EQ(placeOfError("let q = 1;\n  q = q + undefinedName;"), "ReferenceError 2:11");
  EXPECT_EQ(placeOfError("let f = 5;\nf();"), "TypeError 2:1");
  EXPECT_EQ(placeOfError("function outer() {\n  function inner() {\n    return null.x;\n  }\n  return inner();\n}\n"
                         "return outer();"),
            "TypeError 3:12");
  EXPECT_EQ(placeOfError("[1].map((x) => x.y.z);"), "TypeError 1:18");
  // Every kind of line end counts once.
  EXPECT_EQ(placeOfError("let a = 1;\r\nlet b = 2;\r\nreturn a.b.c;"), "TypeError 3:10");
  EXPECT_EQ(placeOfError("let a = 1;\rlet b = 2;\u2028return a.b.c;"), "TypeError 3:10");
  // An emoji with a skin tone and an "e" with a combining accent are one character each.
  EXPECT_EQ(placeOfError("let s = 'he\u0301llo 🐤 👍🏽'; return s.x.y;"), "TypeError 1:31");
  // A value that has no text fails in the console, which the code called.
  EXPECT_EQ(placeOfError("\n  $.log(Symbol('x'));"), "TypeError 2:5");
  // An error of the engine's parser, raised by code the script runs.
  EXPECT_EQ(placeOfError("  JSON.parse('{');"), "SyntaxError 1:8");
}

TEST(JavaScriptWorkerTest, SyntaxErrorsAreShownAtTheTokenThatBreaksTheCode) {
  EXPECT_EQ(placeOfError("return (;"), "SyntaxError 1:9");
  EXPECT_EQ(placeOfError("const a = 1;\nconst b = 2;\nlet c = a +* b;"), "SyntaxError 3:12");
  EXPECT_EQ(placeOfError("// a; comment; with; semicolons\nlet x = 1; let y = x;; return (x +);"), "SyntaxError 2:35");
  EXPECT_EQ(placeOfError("let a = 1;\r\n\r\n  foo bar"), "SyntaxError 3:7");
  // A string or a regular expression is shown at its start.
  EXPECT_EQ(placeOfError("let s = '🐤'; let t = 'é' 'x';"), "SyntaxError 1:26");
  EXPECT_EQ(placeOfError("return $.text.replace(/[/, '');"), "SyntaxError 1:23");
  EXPECT_EQ(placeOfError("let x = 1;\nlet x = 2;"), "SyntaxError 2:5");
  // Code that ends too early is shown at its end, not in what the engine wraps it in.
  EXPECT_EQ(placeOfError("if (true) {\n  return 'x';"), "SyntaxError 2:14");
  EXPECT_EQ(placeOfError("return 'x'; /* not closed"), "SyntaxError 1:26");
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

// This process's children that are still running, or those that ended and were never reaped (zombies).
int children(bool zombies) {
  int count = 0;
  DIR* proc = ::opendir("/proc");
  while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(line.c_str() + line.rfind(')') + 1, " %c %d", &state, &parent) == 2 && parent == ::getpid() &&
        (state == 'Z') == zombies) {
      ++count;
    }
  }
  if (proc) ::closedir(proc);
  return count;
}

int zombieChildren() { return children(true); }

TEST(JavaScriptWorkerTest, AWorkerStoppedForAScriptLeavesNoZombie) {
  engine::JavaScriptWorker worker(QUILLET_BIN_DIR "/quillet-script-worker");
  // A chain of promise jobs, which the engine's own limit cannot stop: the worker is killed.
  EXPECT_THROW(worker.run("(async () => { for (;;) await 0; })();", "x", std::nullopt, {}, 100ms), kit::GeneralError);
  // No further run comes to collect it.
  for (auto deadline = std::chrono::steady_clock::now() + 10s;
       zombieChildren() > 0 && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(zombieChildren(), 0);
}

// A substitute worker, and how every run on it must fail: the error and a line of the log.
struct SubstituteCase {
  std::string body, error, logged;
};

// Runs a script twice with the case's substitute (the second run meets a fresh one) and checks that each run fails as
// the case says; `afterEachRun` is given how long the run took.
void expectRunsFail(const SubstituteCase& substituteCase, engine::JavaScriptTimeLimit limit,
                    const std::function<void(std::chrono::steady_clock::duration)>& afterEachRun = {}) {
  const auto& [body, error, logged] = substituteCase;
  SubstituteWorker substitute(body);
  engine::JavaScriptWorker worker(substitute.path());
  for (int run = 0; run < 2; ++run) {
    testing::internal::CaptureStderr();
    const auto started = std::chrono::steady_clock::now();
    std::string failure;
    try {
      worker.run("return 'x';", "text", std::nullopt, {}, limit);
    } catch (const kit::GeneralError& error) {
      failure = error.what();
    }
    const auto took = std::chrono::steady_clock::now() - started;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(failure, error) << body << log;
    EXPECT_NE(log.find(logged), std::string::npos) << log;
    if (afterEachRun) afterEachRun(took);
  }
}

const std::string answering = std::string(SubstituteWorker::sayReady) + SubstituteWorker::readRequestLength;

// Substitute workers play the parts the real one never would. Each run fails by its deadline with the reason in the
// log, and the next run gets a fresh worker.
TEST(JavaScriptWorkerTest, AWorkerThatBreaksTheExchangeIsStoppedAndReplaced) {
  const SubstituteCase cases[] = {
      {"exec sleep 60\n", "Failed to initialize JavaScript engine.",
       "The script worker did not start: it did not say it was ready within 2100 ms; it was stopped"},
      {answering + "printf '\\020\\000\\000\\000half'; kill -STOP $$; exec sleep 60\n",
       "Script took longer than 0.1 seconds.", ""},
      {answering + "printf '\\377\\377\\377\\177'; exec sleep 60\n", "Failed to evaluate JavaScript code.",
       "The script worker announced a message of 2147483647 bytes, more than it may send; it was stopped"},
      {answering + SubstituteWorker::sayReady + "exec sleep 60\n", "Failed to evaluate JavaScript code.",
       "The script worker sent a message out of step with the exchange (of kind 87); it was stopped"},
  };
  for (const auto& substituteCase : cases) expectRunsFail(substituteCase, 100ms);
}

// A worker that ends its part of the exchange is gone before the run fails: the run waits no longer than a new worker
// may take to start (the time limit and 2 s), and no two workers are alive at once.
TEST(JavaScriptWorkerTest, AWorkerThatClosesItsChannelOrDiesIsGoneWhenTheRunFails) {
  const std::string closingAndStaying = "exec <&- >&-; exec sleep 60\n";
  const SubstituteCase cases[] = {
      {closingAndStaying, "Failed to initialize JavaScript engine.",
       "The script worker did not start: it closed its channel without ending, and was killed"},
      {answering + closingAndStaying, "Failed to evaluate JavaScript code.",
       "The script worker stopped while running a script: it closed its channel without ending, and was killed"},
      {answering + "kill -KILL $$\n", "Failed to evaluate JavaScript code.",
       "The script worker stopped while running a script: it was killed by signal 9"},
  };
  const int running = children(false);
  for (const auto& substituteCase : cases) {
    expectRunsFail(substituteCase, engine::clearingPassScriptTimeLimit, [&](auto took) {
      EXPECT_LT(took, engine::clearingPassScriptTimeLimit + 2s) << substituteCase.body;
      EXPECT_EQ(children(false), running) << substituteCase.body;
    });
  }
}

TEST(JavaScriptWorkerTest, AResultLargerThanACopyIsRefused) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizer's shadow of the worker's memory counts as the worker's own, past the limit";
#endif
  EXPECT_STREQ(failure<kit::GeneralError>("return 'x'.repeat(20 * 1024 * 1024);").what(),
               "Script returned 20.0 MB of text, more than 16 MB.");
  EXPECT_EQ(runJavaScript("return 'x'.repeat(16 * 1024 * 1024);", "", std::nullopt)->size(), size_t{16} << 20);
}

TEST(JavaScriptWorkerTest, ConsoleLinesAreBoundedPerRunAndNotPrintedForConcealedCopies) {
  const std::string flood = "console.log('y'.repeat(100000)); for (let i = 1; i < 5000; i++) console.log('line ' + i);";
  std::vector<std::string> lines;
  testing::internal::CaptureStdout();
  runJavaScript(flood, "text", std::nullopt, [&](const std::string& line) { lines.push_back(line); });
  std::string printed = testing::internal::GetCapturedStdout();

  ASSERT_EQ(lines.size(), engine::consoleLinesKeptPerRun + 1);
  EXPECT_EQ(lines.front(), std::string(engine::longestConsoleLine, 'y') + "…");
  EXPECT_EQ(lines[999], "line 999");
  EXPECT_EQ(lines.back(), "… 4000 more lines");
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 101);
  EXPECT_TRUE(printed.ends_with("JSContext - console.log: line 99\nJSContext - console.log: … 4900 more lines\n"));

  // A copy marked concealed: the caller still sees the lines, standard output nothing.
  lines.clear();
  testing::internal::CaptureStdout();
  runJavaScript(
      "console.log($.text);", "hunter2", std::nullopt, [&](const std::string& line) { lines.push_back(line); },
      engine::clearingPassScriptTimeLimit, engine::ConsoleLinesPrinted::no);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(lines, std::vector<std::string>{"hunter2"});
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
