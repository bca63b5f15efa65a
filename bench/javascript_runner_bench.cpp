#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

#include "engine/javascript_worker.h"
#include "script_worker/javascript_runner.h"

namespace {

// A small script of the kind users write, on a copy of a few kilobytes.
const std::string code =
    "const lines = $.text.split('\\n').map((line) => line.trimEnd());\n"
    "return lines.join('\\n').replace(/[\\u201c\\u201d]/g, '\"').toUpperCase();";
const std::string text(2000, 'a');

// Copies come far apart compared with a run: between two, the worker has made the next run's context.
void betweenCopies(benchmark::State& state) {
  state.PauseTiming();
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  state.ResumeTiming();
}

// As the program runs a script: in the script worker, which keeps its engine from run to run.
void BM_RunScriptInWorker(benchmark::State& state) {
  engine::runJavaScript("", text, std::nullopt);  // the worker starts once, before the measured runs
  for (auto _ : state) {
    betweenCopies(state);
    auto result = engine::runJavaScript(code, text, std::string("org.gnome.TextEditor"));
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RunScriptInWorker)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Runs back to back, faster than any user copies: each waits for the worker to make its context.
void BM_RunScriptInWorkerBackToBack(benchmark::State& state) {
  engine::runJavaScript("", text, std::nullopt);
  for (auto _ : state) {
    auto result = engine::runJavaScript(code, text, std::string("org.gnome.TextEditor"));
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RunScriptInWorkerBackToBack)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same run inside this process on a kept engine: what the worker adds is the difference.
void BM_RunScriptInProcess(benchmark::State& state) {
  engine::JavaScriptRunner runner;
  for (auto _ : state) {
    auto result = runner.run(code, text, std::string("org.gnome.TextEditor"));
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RunScriptInProcess)->Unit(benchmark::kMicrosecond);

// In this process, with the next context made between runs (as the worker makes it once it has answered).
void BM_RunScriptInProcessPrepared(benchmark::State& state) {
  engine::JavaScriptRunner runner;
  for (auto _ : state) {
    state.PauseTiming();
    runner.prepare();
    state.ResumeTiming();
    auto result = runner.run(code, text, std::string("org.gnome.TextEditor"));
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RunScriptInProcessPrepared)->Unit(benchmark::kMicrosecond);

// A fresh engine for every run, as scripts were run before the worker.
void BM_RunScriptWithFreshEngine(benchmark::State& state) {
  for (auto _ : state) {
    engine::JavaScriptRunner runner;
    auto result = runner.run(code, text, std::string("org.gnome.TextEditor"));
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RunScriptWithFreshEngine)->Unit(benchmark::kMicrosecond);

// The smallest run in the worker: the fixed cost of a script, one message each way and a fresh context.
void BM_RunEmptyScriptInWorker(benchmark::State& state) {
  engine::runJavaScript("", text, std::nullopt);
  for (auto _ : state) {
    betweenCopies(state);
    auto result = engine::runJavaScript("", "text", std::nullopt);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_RunEmptyScriptInWorker)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
