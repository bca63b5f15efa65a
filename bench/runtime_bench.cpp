#include <benchmark/benchmark.h>

#include <atomic>

#include "platform/core/async_stream.h"
#include "platform/core/executor.h"
#include "platform/core/rx.h"
#include "platform/core/task.h"

using namespace platform;

namespace {

// Posting and running small work items on one executor.
void BM_ManualExecutorPostAndRun(benchmark::State& state) {
  ManualExecutor executor;
  int counter = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) executor.post([&] { ++counter; });
    executor.runUntilIdle();
  }
  benchmark::DoNotOptimize(counter);
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ManualExecutorPostAndRun);

// A round trip through the thread pool: post, run on a worker, observe completion.
void BM_GlobalExecutorRoundTrip(benchmark::State& state) {
  std::atomic<int> done{0};
  for (auto _ : state) {
    int target = done.load() + 1;
    globalExecutor().post([&] { ++done; });
    while (done.load(std::memory_order_acquire) < target) {
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GlobalExecutorRoundTrip);

// One value through a subject and an operator chain to N sinks.
void BM_SubjectDeliveryToSinks(benchmark::State& state) {
  rx::PassthroughSubject<int> subject;
  std::vector<rx::AnyCancellable> sinks;
  long long total = 0;
  for (int i = 0; i < state.range(0); ++i)
    subject.publisher()
        .map([](int v) { return v + 1; })
        .removeDuplicates()
        .sink([&](const int& v) { total += v; })
        .store(sinks);
  int value = 0;
  for (auto _ : state) subject.send(++value);
  benchmark::DoNotOptimize(total);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SubjectDeliveryToSinks)->Arg(1)->Arg(8);

// Spawning a task that awaits a child coroutine, run to completion.
Task<int> child(int v) { co_return v * 2; }

void BM_SpawnAndAwait(benchmark::State& state) {
  ManualExecutor executor;
  long long total = 0;
  for (auto _ : state) {
    spawn(executor, [&]() -> Task<> { total += co_await child(21); });
    executor.runUntilIdle();
  }
  benchmark::DoNotOptimize(total);
}
BENCHMARK(BM_SpawnAndAwait);

// Elements through an unbounded stream to a waiting consumer.
void BM_StreamYieldToWaitingConsumer(benchmark::State& state) {
  ManualExecutor executor;
  auto streamAndInput = AsyncStream<int>::makeStream();
  auto stream = std::move(streamAndInput.first);
  auto input = std::move(streamAndInput.second);
  long long total = 0;
  spawn(executor, [&, stream]() -> Task<> {
    while (auto v = co_await stream.next()) total += *v;
  });
  executor.runUntilIdle();
  for (auto _ : state) {
    input.yield(1);
    executor.runUntilIdle();
  }
  input.finish();
  executor.runUntilIdle();
  benchmark::DoNotOptimize(total);
}
BENCHMARK(BM_StreamYieldToWaitingConsumer);

}  // namespace
