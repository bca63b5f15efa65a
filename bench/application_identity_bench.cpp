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

// A data folder with as many entries as a full desktop installs.
const std::filesystem::path dataHome = [] {
  std::string tmpl = (std::filesystem::temp_directory_path() / "quillet-bench-XXXXXX").string();
  std::filesystem::path root = mkdtemp(tmpl.data());
  std::filesystem::create_directories(root / "applications");
  for (int i = 0; i < 300; ++i) {
    std::ofstream(root / "applications" / ("org.example.App" + std::to_string(i) + ".desktop"))
        << "[Desktop Entry]\nType=Application\nName=App " << i << "\nName[de]=Anwendung " << i << "\nExec=app" << i
        << " %U\nIcon=app" << i << "\nStartupWMClass=App" << i << "\n";
  }
  setenv("XDG_DATA_HOME", root.c_str(), 1);
  setenv("XDG_DATA_DIRS", (root / "none").c_str(), 1);
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

void matchWindowClass(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(platform::DesktopEntries::matchingWmClass("app299"));
}
BENCHMARK(matchWindowClass);

void rememberedInstalledTest(benchmark::State& state) {
  kit::BundleIdentifier id("org.example.App42");
  for (auto _ : state) benchmark::DoNotOptimize(id.isInstalled());
}
BENCHMARK(rememberedInstalledTest);

}  // namespace
