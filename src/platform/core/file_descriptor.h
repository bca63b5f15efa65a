#pragma once

#include <utility>

namespace platform {

// Owns one open file descriptor and closes it when it goes, so that no path out of a function (an early return,
// an exception) leaks it. Moves, never copies.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  // Takes over `descriptor`; a negative one (a failed open) owns nothing.
  explicit FileDescriptor(int descriptor) noexcept : descriptor_(descriptor < 0 ? -1 : descriptor) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const noexcept { return descriptor_; }
  bool isOpen() const noexcept { return descriptor_ >= 0; }
  explicit operator bool() const noexcept { return isOpen(); }

  // Gives the descriptor up without closing it.
  int release() noexcept { return std::exchange(descriptor_, -1); }
  // Closes what it owns and takes over `descriptor`.
  void reset(int descriptor = -1) noexcept;
  // Closes now and says whether the system reported no error (errno tells which one otherwise); where data was
  // written, a failed close may be the only sign that it did not all reach the file.
  bool close() noexcept;

 private:
  int descriptor_ = -1;
};

}  // namespace platform
