#pragma once

// For the tests of the program's own folders and files: reading and writing files, and a home of its own.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
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

// A memory file system of its own mounted at the folder (made when missing) while this lives; only root may mount, so
// mounted() is false for anyone else.
class MountedMemoryFileSystem {
 public:
  explicit MountedMemoryFileSystem(fs::path folder) : folder_(std::move(folder)) {
    fs::create_directories(folder_);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=1m,mode=0700") == 0;
  }
  ~MountedMemoryFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  MountedMemoryFileSystem(const MountedMemoryFileSystem&) = delete;
  MountedMemoryFileSystem& operator=(const MountedMemoryFileSystem&) = delete;
  bool mounted() const { return mounted_; }
  // From now on nothing can be written there (nor a trash made).
  bool makeReadOnly() const {
    return mounted_ && ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  fs::path folder_;
  bool mounted_ = false;
};

// Makes a new folder at the path that cannot be moved elsewhere, as a mount point cannot: a memory file system
// mounted there where the test may mount (as root), else a folder in a parent the test may no longer write. Undone
// when it goes; made() is false where neither can be done.
class UnmovableFolder {
 public:
  explicit UnmovableFolder(fs::path folder) : folder_(std::move(folder)), mount_(folder_) {
    if (!mount_.mounted() && ::geteuid() != 0) parentLocked_ = ::chmod(folder_.parent_path().c_str(), 0555) == 0;
  }
  ~UnmovableFolder() {
    if (parentLocked_) ::chmod(folder_.parent_path().c_str(), 0755);
  }
  UnmovableFolder(const UnmovableFolder&) = delete;
  UnmovableFolder& operator=(const UnmovableFolder&) = delete;
  bool made() const { return mount_.mounted() || parentLocked_; }

 private:
  fs::path folder_;
  MountedMemoryFileSystem mount_;
  bool parentLocked_ = false;
};

// A home of its own with the XDG folders inside it; the preferences stay where the test program keeps them.
class PrivateHome : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureOffscreenApplication();
    home = createTemporaryDirectory();
    for (const char* name : names) saved.push_back(std::getenv(name));
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
  }
  void TearDown() override {
    for (size_t i = 0; i < std::size(names); ++i) saved[i] ? setenv(names[i], saved[i], 1) : unsetenv(names[i]);
    fs::remove_all(home);
  }
  // What a test may change, put back after it (TMPDIR too, where a failed test would leave it changed).
  static constexpr const char* names[] = {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"};
  fs::path home;
  std::vector<const char*> saved;
};

}  // namespace kit
