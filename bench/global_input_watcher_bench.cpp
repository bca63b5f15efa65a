// The modifiers held, asked on every copy: answered from the state events the watcher follows, beside the pointer
// query that answered it with a round trip to the X server. Needs an X server (`make bench` runs the benchmarks in
// a private one).
#include <benchmark/benchmark.h>

#include "platform/system/global_input_watcher.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"

namespace {

void currentFlagsFromTrackedState(benchmark::State& state) {
  platform::GlobalInputWatcher* watcher = platform::GlobalInputWatcher::shared();
  if (watcher == nullptr) {
    state.SkipWithError("needs an X server with XKB");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(watcher->currentFlags());
}
BENCHMARK(currentFlagsFromTrackedState);

void pointerQueryRoundTrip(benchmark::State& state) {
  platform::X11Connection* x = platform::X11Connection::shared();
  if (x == nullptr) {
    state.SkipWithError("needs an X server");
    return;
  }
  xcb_connection_t* c = x->connection();
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::xcbReply(xcb_query_pointer_reply(c, xcb_query_pointer(c, x->root()), nullptr)));
  }
}
BENCHMARK(pointerQueryRoundTrip);

}  // namespace
