#include "platform/core/file_reading.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/error.h"
#include "platform/core/file_descriptor.h"

namespace platform {

bool readFileInPieces(const std::filesystem::path& path, const std::function<void(std::string_view)>& consume) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file) {
    if (errno == ENOENT) return false;
    throw PlatformError::posix(errno, "Could not open " + path.string());
  }
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw PlatformError::posix(errno, "Could not read " + path.string());
    }
    if (n == 0) return true;
    consume(std::string_view(buffer, static_cast<std::size_t>(n)));
  }
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
  std::string content;
  std::error_code ec;
  // Room for the whole file at once: growing by doubling would hold up to twice its size.
  if (const auto size = std::filesystem::file_size(path, ec); !ec) content.reserve(size);
  if (!readFileInPieces(path, [&](std::string_view piece) { content.append(piece); })) return std::nullopt;
  return content;
}

std::optional<std::string> readWholeFileIfReadable(const std::filesystem::path& path) {
  try {
    return readWholeFile(path);
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace platform
