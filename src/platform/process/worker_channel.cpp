#include "platform/process/worker_channel.h"

#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// Reads exactly `size` bytes; false at the end of the stream or on an error.
bool readFully(int descriptor, char* buffer, size_t size) {
  while (size > 0) {
    ssize_t count = ::read(descriptor, buffer, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    buffer += count;
    size -= static_cast<size_t>(count);
  }
  return true;
}

}  // namespace

WorkerChannel::~WorkerChannel() { close(); }

void WorkerChannel::close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

bool WorkerChannel::send(std::string_view message) {
  if (descriptor_ < 0 || message.size() > maximumMessageSize) return false;
  uint32_t length = static_cast<uint32_t>(message.size());
  iovec parts[2] = {{&length, sizeof length}, {const_cast<char*>(message.data()), message.size()}};
  msghdr header{};
  header.msg_iov = parts;
  header.msg_iovlen = 2;
  while (header.msg_iovlen > 0) {
    // No SIGPIPE when the other end is gone: the caller learns it from the result.
    ssize_t sent = ::sendmsg(descriptor_, &header, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0) return false;
    auto remaining = static_cast<size_t>(sent);
    while (header.msg_iovlen > 0 && remaining >= header.msg_iov->iov_len) {
      remaining -= header.msg_iov->iov_len;
      ++header.msg_iov;
      --header.msg_iovlen;
    }
    if (header.msg_iovlen > 0) {
      header.msg_iov->iov_base = static_cast<char*>(header.msg_iov->iov_base) + remaining;
      header.msg_iov->iov_len -= remaining;
    }
  }
  return true;
}

std::optional<std::string> WorkerChannel::receive() {
  uint32_t length = 0;
  if (descriptor_ < 0 || !readFully(descriptor_, reinterpret_cast<char*>(&length), sizeof length)) return std::nullopt;
  if (length > maximumMessageSize) return std::nullopt;
  std::string message(length, '\0');
  if (!readFully(descriptor_, message.data(), message.size())) return std::nullopt;
  return message;
}

}  // namespace platform
