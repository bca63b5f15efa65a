#include <benchmark/benchmark.h>

#include <string>

#include "engine/javascript_runner.h"

namespace {

// One run as the clearing pass makes it: a fresh engine, the set-up, a small script, the result.
void BM_RunScriptWithFreshEngine(benchmark::State& state) {
  const std::string code =
      "const lines = $.text.split('\\n').map((line) => line.trimEnd());\n"
      "return lines.join('\\n').replace(/[\\u201c\\u201d]/g, '\"').toUpperCase();";
  const std::string text(2000, 'a');
  for (auto _ : state) {
    auto result = engine::runJavaScript(code, text, std::string("org.gnome.TextEditor"));
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RunScriptWithFreshEngine)->Unit(benchmark::kMillisecond);

// The smallest possible run: what the engine's start-up and tear-down cost alone.
void BM_RunEmptyScriptWithFreshEngine(benchmark::State& state) {
  for (auto _ : state) {
    auto result = engine::runJavaScript("", "text", std::nullopt);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RunEmptyScriptWithFreshEngine)->Unit(benchmark::kMillisecond);

}  // namespace
