#include "platform/core/user_account.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

// The user database's entry of a user; its texts live in `buffer`.
std::optional<passwd> accountEntry(uid_t uid, std::vector<char>& buffer) {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  buffer.resize(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
  passwd entry{};
  passwd* found = nullptr;
  int error = 0;
  while ((error = ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (error != 0 || found == nullptr) return std::nullopt;
  return entry;
}

}  // namespace

std::optional<std::string> accountHomeDirectory() {
  std::vector<char> buffer;
  auto entry = accountEntry(::getuid(), buffer);
  if (!entry || entry->pw_dir == nullptr) return std::nullopt;
  return std::string(entry->pw_dir);
}

std::optional<std::string> accountName(uint32_t uid) {
  std::vector<char> buffer;
  auto entry = accountEntry(uid, buffer);
  if (!entry || entry->pw_name == nullptr) return std::nullopt;
  return std::string(entry->pw_name);
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
