// Reading preferences files that other tools (or hostile ones) wrote: the time of a read, and what it takes in memory
// at its peak, measured in a child process that reads only that file.
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

// A list of a few hundred bytes whose shared references stand for 14^7 copies of one array: refused.
void BM_ReadSmallListOfSharedReferences(benchmark::State& state) {
  const std::string list = prefs_test::sharedReferenceChain(14, 7);
  // Once, before any read here: the memory freed by earlier reads would serve the child's.
  static const double peakGrowthMiB = peakGrowthMiBOfRead(list);
  state.counters["peak_growth_MiB"] = peakGrowthMiB;
  state.counters["file_bytes"] = static_cast<double>(list.size());
  for (auto _ : state) benchmark::DoNotOptimize(platform::parsePropertyListDictionary(list));
}
BENCHMARK(BM_ReadSmallListOfSharedReferences)->Unit(benchmark::kMillisecond);

}  // namespace
