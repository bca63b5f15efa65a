// Ratios between measurements taken side by side: each iteration of a benchmark times every phase once, in
// turn, so that all phases see the same load; the fastest time of each phase is kept, which is the least
// disturbed by other work on a shared machine.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <limits>

class FastestTime {
 public:
  template <class Work>
  void measure(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    milliseconds_ = std::min(milliseconds_, elapsed.count());
  }
  double milliseconds() const { return milliseconds_; }

 private:
  double milliseconds_ = std::numeric_limits<double>::infinity();
};

inline void reportRatio(benchmark::State& state, const char* name, const FastestTime& part, const FastestTime& whole) {
  state.counters[name] = benchmark::Counter(part.milliseconds() / whole.milliseconds());
}

inline void reportMilliseconds(benchmark::State& state, const char* name, const FastestTime& time) {
  state.counters[name] = benchmark::Counter(time.milliseconds());
}
