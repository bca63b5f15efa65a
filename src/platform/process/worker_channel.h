#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/core/file_descriptor.h"

namespace platform {

// One end of the stream socket between the program and its script worker. Each message travels as a 32-bit
// length in this machine's byte order, then its bytes. Every wait has a deadline: a peer that stops halfway
// through a message, or stops reading, holds nobody past it.
class WorkerChannel {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::time_point noDeadline = Clock::time_point::max();
  static constexpr size_t maximumMessageSize = size_t{1} << 30;

  // Why receive() gave no message.
  enum class Failure {
    pastDeadline,  // the deadline came first; what arrived of a message is kept for the next call
    closed,        // the other end closed the channel (or the channel broke)
    oversized,     // the other end announced a message larger than allowed (announcedSize() tells how large)
  };

  // Takes over the descriptor; it is closed when the channel goes.
  explicit WorkerChannel(FileDescriptor descriptor) : descriptor_(std::move(descriptor)) {}

  // False when the other end is gone, the message is larger than maximumMessageSize, or the other end did not
  // take it all before the deadline (the channel is then closed: a message cut short cannot be taken back).
  bool send(std::string_view message, Clock::time_point deadline = noDeadline);
  // The next whole message of at most `maximumSize` bytes.
  std::variant<std::string, Failure> receive(Clock::time_point deadline = noDeadline,
                                             size_t maximumSize = maximumMessageSize);
  // The length the other end announced for the message that receive() refused as oversized.
  uint32_t announcedSize() const { return length_; }
  // Closes the descriptor: the other end reads the end of the stream.
  void close() { descriptor_.reset(); }

  int descriptor() const { return descriptor_.get(); }

 private:
  FileDescriptor descriptor_;
  // The message being received: its length as it arrives, then its bytes.
  uint32_t length_ = 0;
  size_t lengthBytesRead_ = 0;
  std::optional<std::string> message_;
  size_t messageBytesRead_ = 0;
};

}  // namespace platform
