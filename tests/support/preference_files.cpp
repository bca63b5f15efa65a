#include "support/preference_files.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace prefs_test {

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
