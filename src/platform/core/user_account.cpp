#include "platform/core/user_account.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform {

std::optional<std::string> accountHomeDirectory() {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
  passwd entry{};
  passwd* found = nullptr;
  int error = 0;
  while ((error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (error != 0 || found == nullptr || entry.pw_dir == nullptr) return std::nullopt;
  return std::string(entry.pw_dir);
}

std::optional<std::filesystem::path> homeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
  if (auto home = accountHomeDirectory(); home && home->starts_with('/')) return *home;
  return std::nullopt;
}

std::optional<std::filesystem::path> xdgBaseDirectory(const char* variable, const char* underHome) {
  if (const char* value = std::getenv(variable); value && *value == '/') return value;
  if (auto home = homeDirectory()) return *home / underHome;
  return std::nullopt;
}

std::filesystem::path temporaryDirectory() {
  if (const char* value = std::getenv("TMPDIR"); value && *value == '/') return value;
  return "/tmp";
}

}  // namespace platform
