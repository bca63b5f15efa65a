#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Private XDG folders for one test, removed afterwards: XDG_DATA_HOME is root/home, XDG_DATA_DIRS root/system and,
// unless the config home is kept (a test whose preferences live there), XDG_CONFIG_HOME root/config; the locale is
// C. The variables get their earlier values back afterwards.
class TemporaryXdgFolders {
 public:
  enum class ConfigHome { moved, kept };

  explicit TemporaryXdgFolders(ConfigHome configHome = ConfigHome::moved) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-xdg-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    replace("XDG_DATA_HOME", root_ / "home");
    replace("XDG_DATA_DIRS", root_ / "system");
    if (configHome == ConfigHome::moved) replace("XDG_CONFIG_HOME", root_ / "config");
    replace("LANG", "C");
  }
  ~TemporaryXdgFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
    for (const auto& [variable, value] : previous_) {
      if (value) {
        setenv(variable, value->c_str(), 1);
      } else {
        unsetenv(variable);
      }
    }
  }
  TemporaryXdgFolders(const TemporaryXdgFolders&) = delete;
  TemporaryXdgFolders& operator=(const TemporaryXdgFolders&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Writes a file below the root, making its folders, and answers its path.
  std::filesystem::path write(const std::string& relative, const std::string& content) const {
    const auto file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << content;
    return file;
  }
  // Installs a desktop entry in the system applications folder and answers its path.
  std::filesystem::path install(const std::string& id, const std::string& content) const {
    return write("system/applications/" + id + ".desktop", content);
  }

 private:
  void replace(const char* variable, const std::filesystem::path& value) {
    const char* previous = getenv(variable);
    previous_.emplace_back(variable, previous ? std::optional<std::string>(previous) : std::nullopt);
    setenv(variable, value.c_str(), 1);
  }

  std::filesystem::path root_;
  std::vector<std::pair<const char*, std::optional<std::string>>> previous_;
};

// The text of a desktop entry for an application, with more lines after its name.
inline std::string applicationEntry(const std::string& name, const std::string& extra = "") {
  return "[Desktop Entry]\nType=Application\nName=" + name + "\n" + extra;
}
