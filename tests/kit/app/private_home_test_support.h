#pragma once

// For the tests of the program's own folders and files: reading and writing files, and a home of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "kit/app/system_directories.h"
#include "support/offscreen_application.h"

namespace kit {

namespace fs = std::filesystem;

inline std::string contentOf(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

inline void write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << content;
}

// A new private folder on another file system than the temporary folder (where the test homes lie): /dev/shm, a memory
// file system of its own on Linux. None where it is not one here.
inline std::optional<fs::path> folderOnAnotherFileSystem() {
  struct stat memory {};
  struct stat temporary {};
  if (stat("/dev/shm", &memory) != 0 || stat(fs::temp_directory_path().c_str(), &temporary) != 0 ||
      memory.st_dev == temporary.st_dev)
    return std::nullopt;
  return createTemporaryDirectory("/dev/shm");
}

// A home of its own with the XDG folders inside it; the preferences stay where the test program keeps them.
class PrivateHome : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureOffscreenApplication();
    home = createTemporaryDirectory();
    saved = {std::getenv("HOME"), std::getenv("XDG_DATA_HOME"), std::getenv("XDG_CACHE_HOME")};
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
  }
  void TearDown() override {
    const char* names[] = {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};
    for (size_t i = 0; i < 3; ++i) saved[i] ? setenv(names[i], saved[i], 1) : unsetenv(names[i]);
    fs::remove_all(home);
  }
  fs::path home;
  std::vector<const char*> saved;
};

}  // namespace kit
