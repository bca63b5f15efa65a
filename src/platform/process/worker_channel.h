#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// One end of the stream socket between the program and its script worker. Each message travels as a 32-bit
// length in this machine's byte order, then its bytes.
class WorkerChannel {
 public:
  static constexpr size_t maximumMessageSize = size_t{1} << 30;

  // Takes over the descriptor; it is closed when the channel goes.
  explicit WorkerChannel(int descriptor) : descriptor_(descriptor) {}
  ~WorkerChannel();
  WorkerChannel(const WorkerChannel&) = delete;
  WorkerChannel& operator=(const WorkerChannel&) = delete;

  // False when the other end is gone or the message is larger than maximumMessageSize.
  bool send(std::string_view message);
  // Waits for the next whole message; nothing at the end of the stream or when a message arrives broken.
  std::optional<std::string> receive();
  // Closes the descriptor: the other end reads the end of the stream.
  void close();

  int descriptor() const { return descriptor_; }

 private:
  int descriptor_;
};

}  // namespace platform
