#include "platform/process/worker_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

using Clock = WorkerChannel::Clock;

// Waits until the descriptor is ready for `events` or the deadline passes; false at the deadline.
bool waitFor(int descriptor, short events, Clock::time_point deadline) {
  for (;;) {
    int timeout = -1;
    if (deadline != WorkerChannel::noDeadline) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      timeout = static_cast<int>(std::min<long long>(left, 60'000));
    }
    pollfd ready{descriptor, events, 0};
    int count = ::poll(&ready, 1, timeout);
    if (count > 0) return true;  // readiness, the other end gone or an error: the next call tells which
    if (count < 0 && errno != EINTR) return true;
  }
}

// Reads what has arrived, at most `size` bytes, without waiting: the count, 0 when nothing has arrived, and -1
// at the end of the stream or on an error.
ssize_t readArrived(int descriptor, char* buffer, size_t size) {
  for (;;) {
    ssize_t count = ::recv(descriptor, buffer, size, MSG_DONTWAIT);
    if (count > 0) return count;
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
    return -1;
  }
}

}  // namespace

bool WorkerChannel::send(std::string_view message, Clock::time_point deadline) {
  if (!descriptor_.isOpen() || message.size() > maximumMessageSize) return false;
  uint32_t length = static_cast<uint32_t>(message.size());
  iovec parts[2] = {{&length, sizeof length}, {const_cast<char*>(message.data()), message.size()}};
  msghdr header{};
  header.msg_iov = parts;
  header.msg_iovlen = 2;
  while (header.msg_iovlen > 0) {
    // No SIGPIPE when the other end is gone: the caller learns it from the result.
    ssize_t sent = ::sendmsg(descriptor_.get(), &header, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (waitFor(descriptor_.get(), POLLOUT, deadline)) continue;
      close();
      return false;
    }
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

std::variant<std::string, WorkerChannel::Failure> WorkerChannel::receive(Clock::time_point deadline,
                                                                         size_t maximumSize) {
  for (;;) {
    if (!descriptor_.isOpen()) return Failure::closed;
    ssize_t count;
    if (!message_) {
      count = readArrived(descriptor_.get(), reinterpret_cast<char*>(&length_) + lengthBytesRead_,
                          sizeof length_ - lengthBytesRead_);
      if (count > 0) lengthBytesRead_ += static_cast<size_t>(count);
      if (count > 0 && lengthBytesRead_ == sizeof length_) {
        if (length_ > maximumSize || length_ > maximumMessageSize) return Failure::oversized;
        message_.emplace(length_, '\0');
        messageBytesRead_ = 0;
      }
    } else {
      count =
          readArrived(descriptor_.get(), message_->data() + messageBytesRead_, message_->size() - messageBytesRead_);
      if (count > 0) messageBytesRead_ += static_cast<size_t>(count);
    }
    if (count < 0) return Failure::closed;
    if (message_ && messageBytesRead_ == message_->size()) {
      std::string whole = std::move(*message_);
      message_.reset();
      lengthBytesRead_ = 0;
      return whole;
    }
    if (count == 0 && !waitFor(descriptor_.get(), POLLIN, deadline)) return Failure::pastDeadline;
  }
}

}  // namespace platform
