#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/core/ascii.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/workspace.h"

namespace platform {

namespace {

std::vector<std::filesystem::path> pathList(const char* value, const char* fallback) {
  std::string list = (value != nullptr && *value != '\0') ? value : fallback;
  std::vector<std::filesystem::path> out;
  std::stringstream in(list);
  for (std::string item; std::getline(in, item, ':');) {
    if (!item.empty() && item.front() == '/') out.emplace_back(item);
  }
  return out;
}

std::filesystem::path homeRelative(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value != nullptr && *value == '/') return value;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "/") / fallback;
}

// The mimeapps.list files in the order the XDG rules consult them.
std::vector<std::filesystem::path> mimeappsFiles() {
  std::vector<std::filesystem::path> folders{homeRelative("XDG_CONFIG_HOME", ".config")};
  for (const auto& dir : pathList(std::getenv("XDG_CONFIG_DIRS"), "/etc/xdg")) folders.push_back(dir);
  folders.push_back(homeRelative("XDG_DATA_HOME", ".local/share") / "applications");
  for (const auto& dir : pathList(std::getenv("XDG_DATA_DIRS"), "/usr/local/share:/usr/share")) {
    folders.push_back(dir / "applications");
  }
  std::vector<std::string> desktops;
  if (const char* current = std::getenv("XDG_CURRENT_DESKTOP")) {
    std::stringstream in(current);
    for (std::string item; std::getline(in, item, ':');) {
      if (!item.empty()) {
        desktops.push_back(asciiLowercased(item));
      }
    }
  }
  std::vector<std::filesystem::path> files;
  for (const auto& folder : folders) {
    for (const auto& desktop : desktops) files.push_back(folder / (desktop + "-mimeapps.list"));
    files.push_back(folder / "mimeapps.list");
  }
  return files;
}

}  // namespace

std::optional<std::string> defaultApplicationId(std::string_view uriScheme) {
  const std::string key = "x-scheme-handler/" + std::string(uriScheme);
  for (const auto& file : mimeappsFiles()) {
    std::ifstream in(file);
    bool inDefaults = false;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && line.front() == '[') {
        inDefaults = line == "[Default Applications]";
        continue;
      }
      if (!inDefaults || !line.starts_with(key + "=")) continue;
      std::stringstream values(line.substr(key.size() + 1));
      for (std::string value; std::getline(values, value, ';');) {
        constexpr std::string_view suffix = ".desktop";
        if (value.size() <= suffix.size() || !value.ends_with(suffix)) continue;
        std::string id = value.substr(0, value.size() - suffix.size());
        if (DesktopEntries::lookup(id)) return id;
      }
    }
  }
  return std::nullopt;
}

}  // namespace platform
