#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "doubles/memory_pasteboard.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "interleaved_timing.h"
#include "platform/text/rtf_reader.h"
#include "support/rich_text_sample.h"

namespace {

namespace Keys = kit::Preferences::Keys;
namespace type = platform::PasteboardType;
using kit::Preferences::set;
using richtext_test::htmlLink;
using richtext_test::rtfLink;

// The main loop, which the benchmark runs itself: like the program's event loop, it sleeps until work is posted
// (a pass cleaned off it posts its write), so that a pass is timed to its write and the waiting costs no CPU.
// Delayed work never runs; the passes post none that they wait for.
class WaitingMainLoop final : public platform::Executor {
 public:
  void post(std::function<void()> work) override {
    {
      std::lock_guard lock(mutex_);
      ready_.push_back(std::move(work));
    }
    posted_.notify_one();
  }
  platform::Cancel postAfter(std::chrono::nanoseconds, std::function<void()>) override {
    return platform::Cancel(std::make_shared<std::atomic<bool>>(false));
  }

  // Runs posted work until `done` holds or the deadline passes; whether it holds.
  template <class Done>
  bool runUntil(Done&& done, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
      std::unique_lock lock(mutex_);
      while (!ready_.empty()) {
        std::function<void()> work = std::move(ready_.front());
        ready_.pop_front();
        lock.unlock();
        work();
        lock.lock();
      }
      lock.unlock();
      if (done()) return true;
      lock.lock();
      if (ready_.empty() && posted_.wait_until(lock, deadline) == std::cv_status::timeout) return done();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> ready_;
};

WaitingMainLoop& mainLoop() {
  static WaitingMainLoop* loop = [] {
    auto* executor = new WaitingMainLoop();
    platform::setMainExecutorForTesting(executor);
    return executor;
  }();
  return *loop;
}

// Settings of a scratch folder, never the user's.
void useScratchSettings() {
  static const bool done = [] {
    mainLoop();
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
    set(Keys::automaticallyClearFormatting(), false);
    return true;
  }();
  (void)done;
}

void configure(bool preserveLinks, bool transforms, bool script) {
  useScratchSettings();
  set(Keys::preserveLinks(), preserveLinks);
  set(Keys::removeTrackingParametersFromURLs(), transforms);
  set(Keys::trimLeadingAndTrailingWhitespace(), transforms);
  set(Keys::normalizeUnorderedLists(), transforms);
  set(Keys::transformTextWithJavaScript(), script);
  set(Keys::javaScriptCode(), std::string(script ? "return $.text.toUpperCase()" : ""));
}

// The passes print a line each; keep them out of the report.
class QuietStandardOutput {
 public:
  QuietStandardOutput() : saved_(dup(1)) {
    std::fflush(stdout);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  }
  ~QuietStandardOutput() {
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
  }

 private:
  int saved_;
};

// A copy of rich text and its plain text, holding each once (the process's peak memory counts it).
platform::PasteboardItem item(const std::string& richType, std::string rich, std::string plain) {
  platform::PasteboardItem result;
  result.types = {richType, type::string};
  result.dataByType[richType] = std::move(rich);
  result.dataByType[type::string] = std::move(plain);
  return result;
}

// The pass over the copy on the clipboard, from its start to its write; false when nothing was written within 30 s.
bool passToItsWrite(platform::MemoryPasteboard& pasteboard, engine::PasteboardController& controller) {
  const int64_t copied = pasteboard.changeCount();
  controller.clearFormatting();
  return mainLoop().runUntil([&] { return pasteboard.changeCount() != copied; },
                             std::chrono::steady_clock::now() + std::chrono::seconds(30));
}

// One whole pass over another application's copy: it arrives, then the pass reads, cleans and writes it. Large
// copies are cleaned off the main loop and written once the loop runs again, so the pass ends at its write.
bool copyAndPassToItsWrite(platform::MemoryPasteboard& pasteboard, engine::PasteboardController& controller,
                           platform::PasteboardItem copy) {
  std::vector<platform::PasteboardItem> items;
  items.push_back(std::move(copy));  // moved in whole: a braced list would copy it
  pasteboard.setItems(std::move(items));
  return passToItsWrite(pasteboard, controller);
}

void runPasses(benchmark::State& state, const platform::PasteboardItem& copy) {
  platform::MemoryPasteboard pasteboard;
  engine::PasteboardController controller(pasteboard);
  QuietStandardOutput quiet;
  for (auto _ : state) {
    if (!copyAndPassToItsWrite(pasteboard, controller, copy)) state.SkipWithError("the pass wrote nothing");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(copy.dataByType.begin()->second.size()));
}

// The generated documents are made in place, a little over `bytes` long, so that making one holds it only once.
constexpr size_t lastParagraphAndEnd = 256;

std::string webPageHtml(size_t bytes) {
  std::string html = "<html><head><meta charset=\"utf-8\"><style>p{color:#333}</style></head><body>";
  html.reserve(bytes + lastParagraphAndEnd);
  for (int i = 0; html.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    html += "<p class=\"c\">Paragraph " + n + " with <b>bold</b> text and a " +
            htmlLink("https://example.com/a/" + n + "?utm_source=news&amp;id=" + n, "link") +
            ".</p>\n<ul><li>• item</li></ul>";
  }
  html += "</body></html>";
  return html;
}

std::string plainOf(size_t bytes) {
  std::string text;
  text.reserve(bytes + lastParagraphAndEnd);
  for (int i = 0; text.size() < bytes; ++i) {
    text += "  • Paragraph " + std::to_string(i) + " with bold text and a link https://example.com/a/" +
            std::to_string(i) + "?utm_source=news&id=" + std::to_string(i) + "\n";
  }
  return text;
}

std::string rtfDocument(size_t bytes) {
  std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\froman Times;}}"
      "{\\colortbl;\\red255\\green0\\blue0;}\n";
  rtf.reserve(bytes + lastParagraphAndEnd);
  for (int i = 0; rtf.size() < bytes; ++i) {
    rtf += "\\pard\\f0\\fs24 Paragraph " + std::to_string(i) + " with {\\b bold} and {\\cf1 red} text, caf\\'e9, " +
           rtfLink("https://example.com/" + std::to_string(i) + "?utm_medium=x", "a link") + ".\\par\n";
  }
  rtf += "}";
  return rtf;
}

// A copy from a web page: about 20 KB of HTML with its plain text, every transform on.
void BM_ClearingPassWebPageCopy(benchmark::State& state) {
  configure(false, true, false);
  runPasses(state, item(type::html, webPageHtml(20'000), plainOf(6'000)));
}
BENCHMARK(BM_ClearingPassWebPageCopy)->Unit(benchmark::kMillisecond);

// The user's script's cost on the same copy, as a ratio in one run: blocks of passes without and with the
// script alternate, so that both meet the same load of the machine. The counters give the median time of one
// pass each way (a loaded machine's stray delays move the means, not the medians), the difference and the
// ratio, and the means. The passes stand apart as copies do (2 ms, not timed), which gives the script worker
// the time to make the next run's context, as it has between a user's copies.
void BM_ClearingPassWebPageCopyScriptOverhead(benchmark::State& state) {
  using Milliseconds = std::chrono::duration<double, std::milli>;
  const auto copy = item(type::html, webPageHtml(20'000), plainOf(6'000));
  platform::MemoryPasteboard pasteboard;
  engine::PasteboardController controller(pasteboard);
  QuietStandardOutput quiet;
  constexpr int passesPerBlock = 20;
  std::vector<double> without, with;
  for (auto _ : state) {
    for (bool script : {false, true}) {
      configure(false, true, script);
      for (int pass = 0; pass < passesPerBlock; ++pass) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        auto started = std::chrono::steady_clock::now();
        if (!copyAndPassToItsWrite(pasteboard, controller, copy)) state.SkipWithError("the pass wrote nothing");
        (script ? with : without).push_back(Milliseconds(std::chrono::steady_clock::now() - started).count());
      }
    }
  }
  auto median = [](std::vector<double> times) {
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2), times.end());
    return times[times.size() / 2];
  };
  auto mean = [](const std::vector<double>& times) {
    return std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
  };
  state.counters["without_ms"] = median(without);
  state.counters["with_script_ms"] = median(with);
  state.counters["overhead_ms"] = median(with) - median(without);
  state.counters["ratio"] = median(with) / median(without);
  state.counters["mean_overhead_ms"] = mean(with) - mean(without);
}
BENCHMARK(BM_ClearingPassWebPageCopyScriptOverhead)->Unit(benchmark::kMillisecond);

// A 1 MB RTF document with links, read and written back with its links only (cleaned off the main loop: the CPU
// time is the whole process's).
void BM_ClearingPassRtfDocument1MB(benchmark::State& state) {
  configure(true, true, false);
  runPasses(state, item(type::rtf, rtfDocument(1'000'000), "whatever"));
}
BENCHMARK(BM_ClearingPassRtfDocument1MB)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same pass, to its write, beside reading its document alone, measured side by side: what the pass adds to the
// reader.
void BM_ClearingPassOverItsReader(benchmark::State& state) {
  configure(true, true, false);
  const platform::PasteboardItem copy = item(type::rtf, rtfDocument(1'000'000), "whatever");
  platform::MemoryPasteboard pasteboard;
  engine::PasteboardController controller(pasteboard);
  QuietStandardOutput quiet;
  FastestTime reader, pass;
  for (auto _ : state) {
    reader.measure([&] { benchmark::DoNotOptimize(platform::readRtf(copy.dataByType.at(type::rtf))); });
    pasteboard.setItems({copy});
    bool written = false;
    pass.measure([&] { written = passToItsWrite(pasteboard, controller); });
    if (!written) state.SkipWithError("the pass wrote nothing");
  }
  reportMilliseconds(state, "reader_ms", reader);
  reportMilliseconds(state, "pass_ms", pass);
  reportRatio(state, "pass_over_reader", pass, reader);
}
BENCHMARK(BM_ClearingPassOverItsReader)->Iterations(20)->Unit(benchmark::kMillisecond);

// Link keeping on a 200 KB HTML page.
void BM_LinkKeepingHtmlPage200KB(benchmark::State& state) {
  configure(true, false, false);
  runPasses(state, item(type::html, webPageHtml(200'000), "whatever"));
}
BENCHMARK(BM_LinkKeepingHtmlPage200KB)->Unit(benchmark::kMillisecond);

// A copy near the largest that is still cleaned (15 MB of HTML and text), links kept: the pass's time and the
// peak memory of the process (it runs last; the earlier benchmarks peak far lower).
// The process holds no copy of its own: each pass's copy is made before it (not timed) and handed to the clipboard,
// which then holds it alone, as the desktop clipboard holds what it read of another application's copy.
void BM_ClearingPassRichCopy15MBKeepingLinks(benchmark::State& state) {
  configure(true, false, false);
  platform::MemoryPasteboard pasteboard;
  engine::PasteboardController controller(pasteboard);
  QuietStandardOutput quiet;
  double copyMiB = 0;
  for (auto _ : state) {
    state.PauseTiming();
    platform::PasteboardItem copy = item(type::html, webPageHtml(12u << 20), plainOf(3u << 20));
    copyMiB =
        static_cast<double>(copy.dataByType[type::html].size() + copy.dataByType[type::string].size()) / (1 << 20);
    state.ResumeTiming();
    if (!copyAndPassToItsWrite(pasteboard, controller, std::move(copy))) state.SkipWithError("the pass wrote nothing");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(copyMiB * (1 << 20)));
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
  state.counters["copy_MiB"] = copyMiB;
}
BENCHMARK(BM_ClearingPassRichCopy15MBKeepingLinks)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(2);

}  // namespace
