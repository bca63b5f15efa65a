#include "platform/core/file_descriptor.h"

#include <unistd.h>

namespace platform {

void FileDescriptor::reset(int descriptor) noexcept {
  // Never retried on EINTR: on Linux the descriptor is gone whatever close() returns.
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = descriptor < 0 ? -1 : descriptor;
}

bool FileDescriptor::close() noexcept {
  if (descriptor_ < 0) return true;
  return ::close(std::exchange(descriptor_, -1)) == 0;
}

}  // namespace platform
