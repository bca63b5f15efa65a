// Reading preferences files that other tools (or hostile ones) wrote: the time of a read, and what it takes in memory
// at its peak, measured in a child process that reads only that file. Writing settings in either form: the time of
// rendering them, with the check that the binary form reads back within the limits.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/prefs/plist_codec.h"
#include "support/preference_files.h"

namespace {

// How many MiB the resident memory of a child process grows while it reads the bytes.
double peakGrowthMiBOfRead(const std::string& bytes) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    benchmark::DoNotOptimize(platform::parsePropertyListDictionary(bytes));
    getrusage(RUSAGE_SELF, &after);
    const long growthKiB = after.ru_maxrss - before.ru_maxrss;
    (void)!write(pipeEnds[1], &growthKiB, sizeof growthKiB);
    _exit(0);
  }
  close(pipeEnds[1]);
  long growthKiB = -1024;
  if (child < 0 || read(pipeEnds[0], &growthKiB, sizeof growthKiB) != sizeof growthKiB) growthKiB = -1024;
  close(pipeEnds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return static_cast<double>(growthKiB) / 1024;
}

void readList(benchmark::State& state, const std::string& list, double peakGrowthMiB) {
  state.counters["peak_growth_MiB"] = peakGrowthMiB;
  state.counters["file_bytes"] = static_cast<double>(list.size());
  state.counters["read"] = platform::parsePropertyListDictionary(list).has_value();
  for (auto _ : state) benchmark::DoNotOptimize(platform::parsePropertyListDictionary(list));
}

// Each peak is measured once, before any read here: the memory freed by earlier reads would serve the child's.

// A list of a few hundred bytes whose shared references stand for 14^7 copies of one array: refused.
void BM_ReadSmallListOfSharedReferences(benchmark::State& state) {
  static const std::string list = prefs_test::sharedReferenceChain(14, 7);
  static const double peakGrowthMiB = peakGrowthMiBOfRead(list);
  readList(state, list, peakGrowthMiB);
}
BENCHMARK(BM_ReadSmallListOfSharedReferences)->Unit(benchmark::kMillisecond);

// A list of about 3 KB holding one text of 1,000 characters for 2,000 places: 2 MB of settings, read.
void BM_ReadListSharingOneTextTwoThousandTimes(benchmark::State& state) {
  static const std::string list = prefs_test::sharedTextList(2000, 1000);
  static const double peakGrowthMiB = peakGrowthMiBOfRead(list);
  readList(state, list, peakGrowthMiB);
}
BENCHMARK(BM_ReadListSharingOneTextTwoThousandTimes)->Unit(benchmark::kMillisecond);

// A list of 1 MiB holding one text of 1 MiB for 63 places: settings as large as files are read with, read.
void BM_ReadListSharingUpToTheReadLimit(benchmark::State& state) {
  static const std::string list = prefs_test::sharedTextList(63, 1u << 20);
  static const double peakGrowthMiB = peakGrowthMiBOfRead(list);
  readList(state, list, peakGrowthMiB);
}
BENCHMARK(BM_ReadListSharingUpToTheReadLimit)->Unit(benchmark::kMillisecond);

// Settings of some size with a script of 10 KB, written as XML, or (with a form feed in the script) in the binary
// form, which is read back, without copies, before it is written.
void BM_RenderSettings(benchmark::State& state) {
  platform::PlistDict settings;
  for (int i = 0; i < 40; ++i) settings["setting " + std::to_string(i)] = i % 2 == 0;
  settings["excluded"] = platform::PlistArray(20, "org.example.application");
  settings["javaScriptCode"] = std::string(10'000, 'x') + (state.range(0) ? "\f" : "");
  for (auto _ : state) {
    platform::PropertyListDocument document(settings);
    benchmark::DoNotOptimize(document.bytes());
  }
  state.SetLabel(state.range(0) ? "binary" : "xml");
}
BENCHMARK(BM_RenderSettings)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
