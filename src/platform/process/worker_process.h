#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>

#include "platform/process/worker_channel.h"

namespace platform {

// A helper program that runs scripts apart from this process, so that a script that runs away with time or
// memory costs the helper, never the program. The helper is exec'd (never forked from a process whose
// engine threads could hold locks) with its end of the channel on its standard input and output; it answers
// each message with messages of its own. It is reaped as soon as it ends, whatever this side is doing.
class WorkerProcess {
  struct Private {};

 public:
  using Clock = WorkerChannel::Clock;

  // Why no message came.
  enum class Stop {
    ended,            // the helper closed the channel or died
    pastDeadline,     // killed: no whole message before the deadline
    pastMemoryLimit,  // killed: it held more memory than allowed
    oversized,        // killed: it announced a message larger than allowed
  };

  // Starts the executable; nothing when it cannot be started (the reason is in the error text).
  static std::unique_ptr<WorkerProcess> start(const std::filesystem::path& executable, std::string* error = nullptr);

  WorkerProcess(Private, pid_t pid, FileDescriptor channel);
  // Waits for the helper to end: a moment for one that was not killed to end on its own (the channel is
  // closed first), then it is killed.
  ~WorkerProcess();
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;

  // False when the helper cannot take the message; one that did not take it all before the deadline is killed.
  bool send(std::string_view message, Clock::time_point deadline);
  // The helper's next message, of at most `maximumSize` bytes. While waiting, its memory is looked at every few
  // milliseconds: past `memoryLimit` bytes, past the deadline, or announcing a larger message, the helper is killed.
  std::variant<std::string, Stop> receive(Clock::time_point deadline, size_t memoryLimit,
                                          size_t maximumSize = WorkerChannel::maximumMessageSize);
  // The size of the message that receive() refused as oversized.
  size_t announcedSize() const { return channel_.announcedSize(); }

  // True while the helper can take a message: it runs, its channel is open, and it sent nothing unasked.
  // A helper found otherwise is killed.
  bool isIdle();
  // Closes the channel: a helper waiting for work ends on its own.
  void close() { channel_.close(); }
  // Ends the helper at once, whatever it is doing; it is gone soon after (hasEnded() tells when).
  void kill();
  // True once the helper has ended and was reaped. Never waits.
  bool hasEnded() const;
  // Waits until the helper has ended, or until the deadline; true when it has.
  bool endsBy(Clock::time_point deadline) const;
  // How the helper ended, to follow "it": "exited with status 1", "was killed by signal 9", or that it closed its
  // channel without ending and was killed; empty until it has ended.
  std::string endDescription() const;

  // Memory of the helper's own (its heap and stacks; not the libraries it maps), in bytes.
  std::optional<size_t> residentMemory() const;
  pid_t pid() const { return pid_; }

 private:
  void signal(int number);
  void reapWhenEnded();
  // The helper closed its end of the channel: it is ending, most likely it died. It has a moment to end on its own,
  // so that how it ended can be told, and is killed when it has not, at the deadline at the latest.
  void endAfterClosingChannel(Clock::time_point deadline);

  pid_t pid_;
  WorkerChannel channel_;
  FileDescriptor statm_;
  FileDescriptor pidfd_;
  bool killed_ = false;
  bool outlivedChannel_ = false;  // killed because it went on after closing its channel
  mutable std::mutex statusMutex_;
  mutable std::condition_variable ended_;
  std::optional<int> waitStatus_;  // under statusMutex_
  // Waits for the helper to end and reaps it at once, so that a helper that dies while nobody asks about it
  // leaves no zombie behind.
  std::thread reaper_;
};

}  // namespace platform
