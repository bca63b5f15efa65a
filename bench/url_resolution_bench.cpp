// Resolving long references against a base URL, as the HTML reader does for every link of a page with a
// <base href>: a relative path of many segments, a data URL, and the same href read from a whole document.
// Each runs at 160 KB, 640 KB and 4 MB: the time should grow with the size, not with its square.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "platform/text/html_reader.h"
#include "platform/url/url.h"

namespace {

const platform::Url& base() {
  static const platform::Url url = *platform::Url::parseStrict("https://www.example.com/docs/guide/index.html");
  return url;
}

// Folders with now and then a "./" or a "../", as generated pages write them.
std::string relativePath(size_t size) {
  const char* segments[] = {"chapter-12/", "./", "section/", "../", "figures/", "a/", "notes-2024/", "../"};
  std::string path;
  for (size_t i = 0; path.size() < size; ++i) path += segments[i % std::size(segments)];
  return path + "page.html";
}

// An inline image: base64, whose alphabet holds "/", so the path has a segment every 64 bytes or so.
std::string dataUrl(size_t size) {
  static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::mt19937 random(7);
  std::string url = "data:image/png;base64,";
  while (url.size() < size) url += alphabet[random() % 64];
  return url;
}

void resolve(benchmark::State& state, const std::string& reference) {
  for (auto _ : state) benchmark::DoNotOptimize(platform::Url::resolve(reference, base()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reference.size()));
}

void BM_ResolveRelativePath(benchmark::State& state) { resolve(state, relativePath(state.range(0))); }
BENCHMARK(BM_ResolveRelativePath)->Arg(160 << 10)->Arg(640 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_ResolveDataUrl(benchmark::State& state) { resolve(state, dataUrl(state.range(0))); }
BENCHMARK(BM_ResolveDataUrl)->Arg(160 << 10)->Arg(640 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_ReadHtmlWithBaseAndLongLink(benchmark::State& state) {
  const std::string html = "<html><head><base href=\"" + base().absoluteString() + "\"></head><body><p><a href=\"" +
                           relativePath(state.range(0)) + "\">the link</a></p></body></html>";
  for (auto _ : state) benchmark::DoNotOptimize(platform::readHtml(html));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * html.size()));
}
BENCHMARK(BM_ReadHtmlWithBaseAndLongLink)->Arg(160 << 10)->Arg(640 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
