#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/process/worker_channel.h"

namespace platform {

// A helper program that runs scripts apart from this process, so that a script that runs away with time or
// memory costs the helper, never the program. The helper is exec'd (never forked from a process whose
// engine threads could hold locks) with its end of the channel on its standard input and output; it answers
// each message with messages of its own.
class WorkerProcess {
  struct Private {};

 public:
  using Clock = std::chrono::steady_clock;

  // Why no message came.
  enum class Stop {
    ended,            // the helper closed the channel or died
    pastDeadline,     // killed: no answer before the deadline
    pastMemoryLimit,  // killed: it held more memory than allowed
  };

  // Starts the executable; nothing when it cannot be started (the reason is in the error text).
  static std::unique_ptr<WorkerProcess> start(const std::filesystem::path& executable, std::string* error = nullptr);

  WorkerProcess(Private, pid_t pid, int channel);
  // Waits for the helper to end: a moment for one that was not killed to end on its own (the channel is
  // closed first), then it is killed.
  ~WorkerProcess();
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;

  bool send(std::string_view message);
  // The helper's next message. While waiting, its memory is looked at every few milliseconds: past
  // `memoryLimit` bytes, or past the deadline, the helper is killed.
  std::variant<std::string, Stop> receive(Clock::time_point deadline, size_t memoryLimit);

  // True while the helper can take a message: it runs, its channel is open, and it sent nothing unasked.
  // A helper found otherwise is killed.
  bool isIdle();
  // Closes the channel: a helper waiting for work ends on its own.
  void close() { channel_.close(); }
  // Ends the helper at once, whatever it is doing; it is gone soon after (hasEnded() tells when).
  void kill();
  // True once the helper has ended. Never waits.
  bool hasEnded();
  // How the helper ended ("exited with status 1", "killed by signal 9"); empty until it has.
  std::string endDescription() const;

  // Memory of the helper's own (its heap and stacks; not the libraries it maps), in bytes.
  std::optional<size_t> residentMemory() const;
  pid_t pid() const { return pid_; }

 private:
  void reap(int options);

  pid_t pid_;
  WorkerChannel channel_;
  int statm_ = -1;
  int pidfd_ = -1;
  bool killed_ = false;
  std::optional<int> waitStatus_;
};

}  // namespace platform
