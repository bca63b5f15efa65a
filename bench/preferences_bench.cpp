// Reading preferences on the clipboard path: the engine tests several Bool keys and the exclusion list
// on every copy, so a read must cost nanoseconds (a lookup in memory), never a file read.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "engine/preference_keys.h"

using namespace kit::Preferences;

namespace {

// Keep the user's own preferences out of the measurement.
const bool configHome = [] {
  std::string tmpl = (std::filesystem::temp_directory_path() / "quillet-bench-XXXXXX").string();
  if (mkdtemp(tmpl.data())) setenv("XDG_CONFIG_HOME", tmpl.c_str(), 1);
  return true;
}();

void readBoolKeyWithRegisteredDefault(benchmark::State& state) {
  const auto& key = Keys::automaticallyClearFormatting();
  for (auto _ : state) benchmark::DoNotOptimize(get(key));
}
BENCHMARK(readBoolKeyWithRegisteredDefault);

void readStoredBoolKey(benchmark::State& state) {
  const auto& key = Keys::preserveLinks();
  set(key, true);
  for (auto _ : state) benchmark::DoNotOptimize(get(key));
}
BENCHMARK(readStoredBoolKey);

void readBoolKeyStoredAsJsonText(benchmark::State& state) {
  const auto& key = Keys::normalizeUnorderedLists();
  key.suite().set(key.name(), "true");
  for (auto _ : state) benchmark::DoNotOptimize(get(key));
}
BENCHMARK(readBoolKeyStoredAsJsonText);

void readExclusionList(benchmark::State& state) {
  const auto& key = Keys::excludedApps();
  std::vector<kit::BundleIdentifier> apps;
  for (int i = 0; i < state.range(0); ++i) apps.emplace_back("org.example.Application" + std::to_string(i));
  set(key, apps);
  for (auto _ : state) benchmark::DoNotOptimize(get(key));
}
BENCHMARK(readExclusionList)->Arg(0)->Arg(10)->Arg(100);

// Writes apply in memory at once; the file is written by a background thread after a short pause.
void writeBoolKey(benchmark::State& state) {
  const auto& key = Keys::trimLeadingAndTrailingWhitespace();
  bool value = false;
  for (auto _ : state) set(key, value = !value);
}
BENCHMARK(writeBoolKey);

}  // namespace
