// Reading a large HTML and RTF document, beside the common command-line converters on this machine
// (w3m -dump and html2text for HTML, unrtf for RTF) run on the same files, and beside libxml2 parsing the
// same HTML with callbacks that do nothing. The converters are skipped when they are not installed.
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "interleaved_timing.h"
#include "platform/text/html_reader.h"
#include "platform/text/rtf_reader.h"

namespace {

std::string htmlBlock(int n) {
  std::string i = std::to_string(n);
  return "<h2>Section " + i + "</h2>\n<p>Caf&eacute; na&iuml;ve &mdash; the <b>quick</b> brown fox " + i +
         " jumps over the <a href=\"https://www.example.com/articles/" + i +
         "?utm_source=feed&amp;utm_medium=rss&amp;id=" + i +
         "\">lazy dog</a>. Привет, мир! 日本語のテキスト.</p>\n"
         "<ul>\n  <li>First point with <i>emphasis</i></li>\n  <li>Second point<ul><li>nested</li></ul></li>\n</ul>\n"
         "<table><tr><td>Cell A" +
         i +
         "</td><td>Cell B</td></tr><tr><td>1&nbsp;234</td><td>"
         "<a href=\"/relative/" +
         i +
         "\">link</a></td></tr></table>\n<div><span style=\"color:red\">styled</span>"
         "<br>second line</div>\n";
}

std::string rtfBlock(int n) {
  std::string i = std::to_string(n);
  return "\\pard\\plain\\s1\\f0\\fs28 Section " + i +
         "\\par\n\\pard\\f0\\fs24 Caf\\'e9 na\\'efve \\emdash  the {\\b quick} "
         "brown fox " +
         i + " jumps over the {\\field{\\*\\fldinst HYPERLINK \"https://www.example.com/articles/" + i +
         "?utm_source=feed&id=" + i +
         "\"}{\\fldrslt {\\ul\\cf2 lazy dog}}}. \\u1055?\\u1088?\\u1080?\\u1074?\\u1077?"
         "\\u1090?, \\u26085?\\u26412?\\u35486?.\\par\n{\\listtext\\f1 \\'b7\\tab}First point with {\\i "
         "emphasis}\\par\n"
         "{\\listtext\\f1 \\'b7\\tab}Second point\\par\n\\trowd\\cellx2000\\cellx4000 Cell A" +
         i + "\\cell Cell B\\cell\\row\n{\\*\\bkmkstart b" + i + "}{\\*\\bkmkend b" + i +
         "}styled\\line second line\\par\n";
}

struct Documents {
  std::filesystem::path dir;
  std::map<std::string, std::string> content;  // "html-1", "html-10", "rtf-1", "rtf-10"
  std::map<std::string, std::filesystem::path> path;

  Documents() {
    dir = std::filesystem::temp_directory_path() / ("quillet-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (int megabytes : {1, 10}) {
      std::string html = "<html><head><meta charset=\"utf-8\"><title>Bench</title></head><body>\n";
      for (int n = 0; html.size() < static_cast<size_t>(megabytes) << 20; ++n) html += htmlBlock(n);
      html += "</body></html>\n";
      std::string rtf =
          "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
          "{\\f1\\fnil\\fcharset2 Symbol;}}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\n";
      for (int n = 0; rtf.size() < static_cast<size_t>(megabytes) << 20; ++n) rtf += rtfBlock(n);
      rtf += "}";
      store("html-" + std::to_string(megabytes), html, ".html");
      store("rtf-" + std::to_string(megabytes), rtf, ".rtf");
    }
  }
  ~Documents() { std::filesystem::remove_all(dir); }

  void store(const std::string& name, const std::string& text, const char* suffix) {
    content[name] = text;
    path[name] = dir / (name + suffix);
    std::ofstream(path[name], std::ios::binary) << text;
  }
};

Documents& documents() {
  static Documents docs;
  return docs;
}

std::string sizeName(int64_t megabytes) { return megabytes == 1 ? "1" : "10"; }

void readHtmlDocument(benchmark::State& state) {
  const std::string& html = documents().content["html-" + sizeName(state.range(0))];
  for (auto _ : state) benchmark::DoNotOptimize(platform::readHtml(html));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(html.size()));
}

void readRtfDocument(benchmark::State& state) {
  const std::string& rtf = documents().content["rtf-" + sizeName(state.range(0))];
  for (auto _ : state) benchmark::DoNotOptimize(platform::readRtf(rtf));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(rtf.size()));
}

// What libxml2 alone costs: the push parser with the reader's options, its events ignored.
void parseHtmlOnly(const std::string& html) {
  htmlSAXHandler handler{};
  handler.startElement = [](void*, const xmlChar*, const xmlChar**) {};
  handler.endElement = [](void*, const xmlChar*) {};
  handler.characters = [](void*, const xmlChar*, int) {};
  handler.cdataBlock = handler.characters;
  htmlParserCtxtPtr context = htmlCreatePushParserCtxt(&handler, nullptr, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
  htmlCtxtUseOptions(context, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                                  HTML_PARSE_NODEFDTD | HTML_PARSE_IGNORE_ENC);
  htmlParseChunk(context, html.data(), static_cast<int>(html.size()), 1);
  htmlFreeParserCtxt(context);
}

void parseHtmlWithLibxml2Only(benchmark::State& state) {
  const std::string& html = documents().content["html-" + sizeName(state.range(0))];
  for (auto _ : state) parseHtmlOnly(html);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(html.size()));
}

// The readers' goals as ratios measured side by side: linear in the input (10 MB against 1 MB), and the HTML
// reader against libxml2's own parse of the same bytes.
void readerRatios(benchmark::State& state) {
  Documents& docs = documents();
  FastestTime html1, html10, bare1, bare10, rtf1, rtf10;
  for (auto _ : state) {
    html1.measure([&] { benchmark::DoNotOptimize(platform::readHtml(docs.content["html-1"])); });
    bare1.measure([&] { parseHtmlOnly(docs.content["html-1"]); });
    html10.measure([&] { benchmark::DoNotOptimize(platform::readHtml(docs.content["html-10"])); });
    bare10.measure([&] { parseHtmlOnly(docs.content["html-10"]); });
    rtf1.measure([&] { benchmark::DoNotOptimize(platform::readRtf(docs.content["rtf-1"])); });
    rtf10.measure([&] { benchmark::DoNotOptimize(platform::readRtf(docs.content["rtf-10"])); });
  }
  reportRatio(state, "html_10MB_over_1MB", html10, html1);
  reportRatio(state, "html_1MB_over_libxml2", html1, bare1);
  reportRatio(state, "html_10MB_over_libxml2", html10, bare10);
  reportRatio(state, "rtf_10MB_over_1MB", rtf10, rtf1);
  state.counters["rtf_MB_per_s"] = benchmark::Counter(static_cast<double>(docs.content["rtf-10"].size()) / (1 << 20) /
                                                      (rtf10.milliseconds() / 1000));
}

void runConverter(benchmark::State& state, const std::string& tool, const std::string& arguments,
                  const std::string& document) {
  if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0) {
    state.SkipWithError((tool + " is not installed").c_str());
    return;
  }
  const std::filesystem::path& file = documents().path[document + "-" + sizeName(state.range(0))];
  std::string command = tool + " " + arguments + " '" + file.string() + "' >/dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError((tool + " failed").c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
}

void w3mDump(benchmark::State& state) { runConverter(state, "w3m", "-dump -T text/html", "html"); }
void html2text(benchmark::State& state) { runConverter(state, "html2text", "-utf8", "html"); }
void unrtf(benchmark::State& state) { runConverter(state, "unrtf", "--text", "rtf"); }

}  // namespace

BENCHMARK(readHtmlDocument)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(parseHtmlWithLibxml2Only)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(readerRatios)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(w3mDump)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(html2text)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(readRtfDocument)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(unrtf)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
