// Identity lookups on the clipboard path: every copy without a source marker resolves the selection owner's
// application and asks whether it is installed, and the settings list asks for every row on every redraw.
// Remembered answers must cost a hash lookup; a fresh index scan is what a miss costs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "kit/foundation/bundle_identifier.h"
#include "platform/system/desktop_entry.h"

namespace {

// Data folders laid out as a full desktop has them: a few entries of the user's own, hundreds installed with
// vendor subfolders, and a data folder without applications (as /usr/local/share often is).
const std::filesystem::path dataRoot = [] {
  std::string tmpl = (std::filesystem::temp_directory_path() / "quillet-bench-XXXXXX").string();
  std::filesystem::path root = mkdtemp(tmpl.data());
  auto install = [](const std::filesystem::path& folder, int i) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / ("org.example.App" + std::to_string(i) + ".desktop"))
        << "[Desktop Entry]\nType=Application\nName=App " << i << "\nName[de]=Anwendung " << i << "\nExec=app" << i
        << " %U\nIcon=app" << i << "\nStartupWMClass=App" << i << "\n";
  };
  for (int i = 0; i < 300; ++i) install(root / "share/applications", i);
  for (int i = 300; i < 324; ++i) install(root / "share/applications/vendor" / std::to_string(i % 12), i);
  for (int i = 400; i < 410; ++i) install(root / "home/applications", i);
  setenv("XDG_DATA_HOME", (root / "home").c_str(), 1);
  setenv("XDG_DATA_DIRS", ((root / "local").string() + ":" + (root / "share").string()).c_str(), 1);
  return root;
}();

void parseOneDesktopFile(benchmark::State& state) {
  const std::string text =
      "[Desktop Entry]\nType=Application\nName=Text Editor\nName[de]=Texteditor\nName[fr]=Éditeur\n"
      "Exec=editor --new-window %U\nIcon=org.example.Editor\nStartupWMClass=Editor\n"
      "[Desktop Action new]\nName=New Window\nExec=editor --new-window\n";
  for (auto _ : state) benchmark::DoNotOptimize(platform::parseDesktopEntry(text, "de_DE.UTF-8"));
}
BENCHMARK(parseOneDesktopFile);

void lookupInUnchangedIndex(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(platform::DesktopEntries::lookup("org.example.App150"));
}
BENCHMARK(lookupInUnchangedIndex);

// Other programs keep replacing their files in the data folders (a list of recent files, say): a look-up must not
// take that for a change of the installed applications.
void lookupWhileOtherFilesChangeBesideTheFolders(benchmark::State& state) {
  const auto recent = dataRoot / "recently-used.xbel", written = dataRoot / "recently-used.xbel.new";
  for (auto _ : state) {
    std::ofstream(written) << "<xbel/>";
    std::filesystem::rename(written, recent);
    benchmark::DoNotOptimize(platform::DesktopEntries::lookup("org.example.App150"));
  }
}
BENCHMARK(lookupWhileOtherFilesChangeBesideTheFolders);

// A change to an installed entry makes the next look-up read every folder again: what the first look-up of a run
// costs on a full desktop.
void lookupAfterAnEntryChanged(benchmark::State& state) {
  const auto entry = dataRoot / "share/applications/org.example.App7.desktop";
  for (auto _ : state) {
    std::ofstream(entry, std::ios::app) << "\n";
    benchmark::DoNotOptimize(platform::DesktopEntries::lookup("org.example.App150"));
  }
}
BENCHMARK(lookupAfterAnEntryChanged)->Unit(benchmark::kMillisecond);

void matchWindowClass(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(platform::DesktopEntries::matchingWmClass("app299"));
}
BENCHMARK(matchWindowClass);

// A copy from a program no copy came from before: which installed application runs it. Each iteration asks for a
// program not asked for before (the answer for one already asked is remembered).
void matchANewExecutable(benchmark::State& state) {
  int n = 0;
  for (auto _ : state) {
    const auto program = dataRoot / ("bin/program" + std::to_string(n++));
    benchmark::DoNotOptimize(platform::DesktopEntries::matchingExecutable(program));
  }
}
BENCHMARK(matchANewExecutable)->Unit(benchmark::kMillisecond);

void rememberedInstalledTest(benchmark::State& state) {
  kit::BundleIdentifier id("org.example.App42");
  for (auto _ : state) benchmark::DoNotOptimize(id.isInstalled());
}
BENCHMARK(rememberedInstalledTest);

}  // namespace
