#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The whole content of a file, or none when it does not exist. Other failures throw PlatformError.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);
// The whole content of a file, or none when it cannot be read for any reason: for files of the system (under /proc,
// /sys or /etc) that may be missing or closed to us, where having no content is the whole answer.
std::optional<std::string> readWholeFileIfReadable(const std::filesystem::path& path);
// Hands the file's content to `consume` piece by piece, without holding it whole; false when it does not exist.
// Other failures throw PlatformError.
bool readFileInPieces(const std::filesystem::path& path, const std::function<void(std::string_view)>& consume);

}  // namespace platform
