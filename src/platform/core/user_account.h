#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The home directory that the user database gives the process's user; none when the user has no entry there.
std::optional<std::string> accountHomeDirectory();

// The login name of a user number in the user database; none when it has no entry there.
std::optional<std::string> accountName(uint32_t uid);

// The user's home: $HOME when it is an absolute path, else the user database's when that is; none without either.
std::optional<std::filesystem::path> homeDirectory();

// An XDG base directory: the path in `variable` when it is absolute (relative ones are invalid and ignored, as the
// XDG rules say), else `underHome` below the home; none without a home.
std::optional<std::filesystem::path> xdgBaseDirectory(const char* variable, const char* underHome);

// The folder for temporary files: $TMPDIR when it is an absolute path, else /tmp. It need not exist.
std::filesystem::path temporaryDirectory();

}  // namespace platform
