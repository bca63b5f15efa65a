// Tracking-parameter removal over a large realistic text, and over single URLs.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "engine/tracking_parameters.h"
#include "platform/text/link_detector.h"

namespace {

// About 10 MB of mail- and chat-like prose holding 50,000 links, a tenth of them with tracking parameters.
const std::string& largeText() {
  static const std::string text = [] {
    const char* prose[] = {
        "Thanks for the update, I had a look at the draft and left a few comments in the margin. ",
        "The meeting moved to Thursday at 14:00 (room 2.14), see the agenda for details, e.g. item 3. ",
        "Prices rose 2.1% in Q3; the figures for Jan.–Mar. are provisional, cf. table 4 in report_v1.3.pdf. ",
        "Könnten Sie mir bitte die Unterlagen bis Freitag schicken? Vielen Dank und schöne Grüße. ",
        "Lunch at the new place? They have a great menu and it's only ten minutes away 🙂 ",
    };
    const char* plainLinks[] = {
        "https://www.example.com/articles/2024/05/how-to-write-better-mail",
        "https://github.com/acme/widgets/issues/981",
        "www.harbourbooks.co.uk/events/talk-14-oct",
        "https://en.wikipedia.org/wiki/Inflation_(economics)",
        "https://docs.example.org/guide/install?version=2&lang=en",
        "mara.lind@research.example.ac.uk",
    };
    const char* trackedLinks[] = {
        "https://www.shop.example/p/123?utm_source=newsletter&utm_medium=email&utm_campaign=oct&id=5",
        "https://www.youtube.com/watch?v=dQw4w9WgXcQ&si=AbCdEf123&t=42",
        "https://l.facebook.com/l.php?u=https%3A%2F%2Fexample.org%2Fa%3Ffbclid%3Dz&h=AT0",
        "https://www.amazon.de/dp/B01ABCDEF/ref=sr_1_1?keywords=lamp&qid=1700000000&sr=8-1&th=1",
    };
    std::mt19937 random(42);
    std::string out;
    out.reserve(10'600'000);
    for (int i = 0; i < 50'000; ++i) {
      for (int p = 0; p < 2; ++p) out += prose[random() % 5];
      out += (i % 10 == 0) ? trackedLinks[random() % 4] : plainLinks[random() % 6];
      out += (random() % 3 == 0) ? ".\n" : ", ";
    }
    return out;
  }();
  return text;
}

void BM_CleanLargeText(benchmark::State& state) {
  const auto& text = largeText();
  for (auto _ : state) benchmark::DoNotOptimize(engine::removingTrackingParametersFromURLs(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["urls"] =
      benchmark::Counter(50'000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CleanLargeText)->Unit(benchmark::kMillisecond);

void BM_DetectLinksInLargeText(benchmark::State& state) {
  const auto& text = largeText();
  for (auto _ : state) benchmark::DoNotOptimize(platform::detectLinks(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DetectLinksInLargeText)->Unit(benchmark::kMillisecond);

void cleanOne(benchmark::State& state, const char* text) {
  const auto url = *platform::Url::parseStrict(text);
  for (auto _ : state) benchmark::DoNotOptimize(engine::removingTrackingParametersUnlessExempt(url));
}
BENCHMARK_CAPTURE(cleanOne, withoutQuery, "https://github.com/acme/widgets/issues/981");
BENCHMARK_CAPTURE(cleanOne, withTracking,
                  "https://www.shop.example/p/123?utm_source=newsletter&utm_medium=email&utm_campaign=oct&id=5");
BENCHMARK_CAPTURE(cleanOne, retailer,
                  "https://www.amazon.de/dp/B01ABCDEF/ref=sr_1_1?keywords=lamp&qid=1700&sr=8-1&th=1");
BENCHMARK_CAPTURE(
    cleanOne, wrapperWithNestedUrl,
    "https://l.facebook.com/"
    "l.php?u=https%3A%2F%2Fexample.org%2Fa%3Fnext%3Dhttps%253A%252F%252Fb.example%252F%253Futm_source%253Dx&h=AT0");

}  // namespace
