#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Private XDG folders for one test, removed afterwards: XDG_DATA_HOME is root/home, XDG_DATA_DIRS root/system and
// XDG_CONFIG_HOME root/config; the locale is C.
class TemporaryXdgFolders {
 public:
  TemporaryXdgFolders() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-xdg-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    setenv("XDG_DATA_HOME", (root_ / "home").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root_ / "system").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("LANG", "C", 1);
  }
  ~TemporaryXdgFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
    for (const char* variable : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME"}) unsetenv(variable);
  }
  TemporaryXdgFolders(const TemporaryXdgFolders&) = delete;
  TemporaryXdgFolders& operator=(const TemporaryXdgFolders&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Writes a file below the root, making its folders.
  void write(const std::string& relative, const std::string& content) const {
    const auto file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << content;
  }

 private:
  std::filesystem::path root_;
};

// The text of a desktop entry for an application, with more lines after its name.
inline std::string applicationEntry(const std::string& name, const std::string& extra = "") {
  return "[Desktop Entry]\nType=Application\nName=" + name + "\n" + extra;
}

// Private applications folders for one test, removed afterwards: XDG_DATA_HOME is root/home and XDG_DATA_DIRS
// root/system while it lives, and their earlier values come back after it. The config home is left alone.
class TemporaryApplicationFolders {
 public:
  TemporaryApplicationFolders() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-apps-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    for (const char* variable : {"XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
      const char* value = getenv(variable);
      previous_.emplace_back(variable, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("XDG_DATA_HOME", (root_ / "home").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root_ / "system").c_str(), 1);
  }
  ~TemporaryApplicationFolders() {
    for (const auto& [variable, value] : previous_) {
      if (value) {
        setenv(variable, value->c_str(), 1);
      } else {
        unsetenv(variable);
      }
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TemporaryApplicationFolders(const TemporaryApplicationFolders&) = delete;
  TemporaryApplicationFolders& operator=(const TemporaryApplicationFolders&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Installs a desktop entry in the system applications folder and answers its path.
  std::filesystem::path install(const std::string& id, const std::string& content) const {
    return write("system/applications/" + id + ".desktop", content);
  }
  // Writes a file below the root, making its folders, and answers its path.
  std::filesystem::path write(const std::string& relative, const std::string& content) const {
    const auto file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << content;
    return file;
  }

 private:
  std::filesystem::path root_;
  std::vector<std::pair<const char*, std::optional<std::string>>> previous_;
};
