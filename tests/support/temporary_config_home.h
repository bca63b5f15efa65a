#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

// A private config home: a fresh temporary folder as XDG_CONFIG_HOME (so that the standard preferences suite and
// every other suite is the test's own) while this lives; afterwards the previous value is back and the folder is
// gone with its content.
class TemporaryConfigHome {
 public:
  TemporaryConfigHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-tests-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    if (const char* previous = getenv("XDG_CONFIG_HOME")) previous_ = previous;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
  }
  ~TemporaryConfigHome() {
    if (previous_) {
      setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryConfigHome(const TemporaryConfigHome&) = delete;
  TemporaryConfigHome& operator=(const TemporaryConfigHome&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::optional<std::string> previous_;
};
