#include "support/preference_files.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace prefs_test {

TemporaryConfigHome::TemporaryConfigHome() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "quillet-prefs-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
  if (const char* old = getenv("XDG_CONFIG_HOME")) {
    previous_ = old;
    hadPrevious_ = true;
  }
  setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
}

TemporaryConfigHome::~TemporaryConfigHome() {
  if (hadPrevious_)
    setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string uniqueSuiteName() {
  static std::atomic<int> counter{0};
  return "test.quillet.suite" + std::to_string(getpid()) + "." + std::to_string(++counter);
}

platform::ManualExecutor& testMainExecutor() {
  static platform::ManualExecutor* executor = [] {
    auto* e = new platform::ManualExecutor;
    platform::setMainExecutorForTesting(e);
    return e;
  }();
  return *executor;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    testMainExecutor().runUntilIdle();
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  testMainExecutor().runUntilIdle();
  return condition();
}

void replaceFile(const std::filesystem::path& path, const std::string& content) {
  auto side = path.string() + ".editing";
  {
    std::ofstream out(side, std::ios::binary | std::ios::trunc);
    out << content;
  }
  std::filesystem::rename(side, path);
}

std::string commandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

}  // namespace prefs_test
