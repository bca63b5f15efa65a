#include "platform/core/own_executable.h"

#include <system_error>

namespace platform {

std::filesystem::path ownExecutable() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

}  // namespace platform
