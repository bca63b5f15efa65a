// Reading preferences files that other tools (or hostile ones) wrote: the time of a read, and what it takes in memory
// at its peak, measured in a child process that reads only that file. Writing settings in either form: the time of
// rendering them, with the check that the binary form reads back within the limits.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "platform/prefs/plist_codec.h"
#include "support/preference_files.h"

namespace {

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:").
long statusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with(field)) return std::atol(line.c_str() + field.size());
  return -1;
}

// How many MiB the resident memory of a child process grows while it reads the bytes, and, when `writeAgain`, writes
// what it read as the program does at each start (the launch count changes).
double peakGrowthMiBOfRead(const std::string& bytes, bool writeAgain = false) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    // Memory freed before the fork would serve the read unseen: it is given back first, and the peak starts from here.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKiB("VmRSS:");
    {
      auto dict = platform::parsePropertyListDictionary(bytes);
      if (dict && writeAgain) {
        platform::PropertyListDocument document(*dict);
        benchmark::DoNotOptimize(document.bytes());
      }
      benchmark::DoNotOptimize(dict);
    }
    const long growthKiB = statusKiB("VmHWM:") - before;
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

std::string xmlOfTinyValues(std::size_t count) {
  std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>k</key><array>";
  xml.reserve(xml.size() + count * 7 + 30);
  for (std::size_t i = 0; i < count; ++i) xml += "<true/>";
  xml += "</array></dict></plist>";
  return xml;
}

// A list, and the peaks of reading it, and of reading it and writing it again.
struct MeasuredList {
  std::string bytes;
  double peakGrowthMiB = 0;
  double peakGrowthMiBWrittenAgain = 0;
};

enum ListName {
  sharedReferences,
  millionTinyValues,
  tinyValuesUpToTheLimit,
  millionTinyValuesInXml,
  tinyValuesInXmlUpToTheLimit,
  oneTextTwoThousandTimes,
  textUpToTheLimit,
};

// Every list with its peaks, measured once.
const std::map<ListName, MeasuredList>& lists() {
  static const auto* measured = [] {
    auto* all = new std::map<ListName, MeasuredList>{
        {sharedReferences, {prefs_test::sharedReferenceChain(14, 7)}},
        {millionTinyValues, {prefs_test::sharedReferenceChain(1000, 2)}},
        {tinyValuesUpToTheLimit, {prefs_test::sharedReferenceChain(600, 2)}},
        {millionTinyValuesInXml, {xmlOfTinyValues(1'000'000)}},
        {tinyValuesInXmlUpToTheLimit, {xmlOfTinyValues(400'000)}},
        {oneTextTwoThousandTimes, {prefs_test::sharedTextList(2000, 1000)}},
        {textUpToTheLimit, {prefs_test::sharedTextList(63, 1u << 20)}},
    };
    for (auto& [name, list] : *all) {
      list.peakGrowthMiB = peakGrowthMiBOfRead(list.bytes);
      list.peakGrowthMiBWrittenAgain = peakGrowthMiBOfRead(list.bytes, true);
    }
    return all;
  }();
  return *measured;
}

void readList(benchmark::State& state, ListName name) {
  const MeasuredList& list = lists().at(name);
  state.counters["peak_growth_MiB"] = list.peakGrowthMiB;
  state.counters["peak_growth_MiB_written_again"] = list.peakGrowthMiBWrittenAgain;
  state.counters["file_bytes"] = static_cast<double>(list.bytes.size());
  state.counters["read"] = platform::parsePropertyListDictionary(list.bytes).has_value();
  for (auto _ : state) benchmark::DoNotOptimize(platform::parsePropertyListDictionary(list.bytes));
}

// A list of a few hundred bytes whose shared references stand for 14^7 copies of one array: refused.
void BM_ReadSmallListOfSharedReferences(benchmark::State& state) { readList(state, sharedReferences); }
BENCHMARK(BM_ReadSmallListOfSharedReferences)->Unit(benchmark::kMillisecond);

// A list of 2 KB whose shared references stand for a million empty arrays: each takes the program and the library
// about 160 bytes, so it is refused (read, it took 54 MiB, and 165 MiB when written again).
void BM_ReadSmallListOfAMillionTinyValues(benchmark::State& state) { readList(state, millionTinyValues); }
BENCHMARK(BM_ReadSmallListOfAMillionTinyValues)->Unit(benchmark::kMillisecond);

// The same for 360 thousand empty arrays, which fit the limit: read.
void BM_ReadSmallListOfTinyValuesUpToTheReadLimit(benchmark::State& state) { readList(state, tinyValuesUpToTheLimit); }
BENCHMARK(BM_ReadSmallListOfTinyValuesUpToTheReadLimit)->Unit(benchmark::kMillisecond);

// XML of a million <true/> (7 MB) is counted before the library reads it, and refused (reading it took 150 MiB)...
void BM_ReadXmlOfAMillionTinyValues(benchmark::State& state) { readList(state, millionTinyValuesInXml); }
BENCHMARK(BM_ReadXmlOfAMillionTinyValues)->Unit(benchmark::kMillisecond);

// ... and of 400 thousand, read.
void BM_ReadXmlOfTinyValuesUpToTheReadLimit(benchmark::State& state) { readList(state, tinyValuesInXmlUpToTheLimit); }
BENCHMARK(BM_ReadXmlOfTinyValuesUpToTheReadLimit)->Unit(benchmark::kMillisecond);

// A list of about 3 KB holding one text of 1,000 characters for 2,000 places: 2 MB of settings, read.
void BM_ReadListSharingOneTextTwoThousandTimes(benchmark::State& state) { readList(state, oneTextTwoThousandTimes); }
BENCHMARK(BM_ReadListSharingOneTextTwoThousandTimes)->Unit(benchmark::kMillisecond);

// A list of 1 MiB holding one text of 1 MiB for 63 places: settings as large as files are read with, read.
void BM_ReadListSharingUpToTheReadLimit(benchmark::State& state) { readList(state, textUpToTheLimit); }
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
