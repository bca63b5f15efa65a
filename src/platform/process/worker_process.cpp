#include "platform/process/worker_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/core/error.h"
#include "platform/core/thread_name.h"

extern char** environ;

namespace platform {

namespace {

using namespace std::chrono_literals;

// How often the helper's memory is looked at while an answer is awaited.
constexpr auto memoryCheckInterval = 2ms;
// How long an ending helper may take (flushing, leak checks of instrumented builds) before it is killed.
constexpr int endingTimeoutMilliseconds = 2000;
// How long a helper that closed its channel may take to end on its own. The kernel closes a dying process's
// descriptors a moment before it is gone; a helper that closes the channel itself ends soon after.
constexpr auto endingAfterClosedChannel = 250ms;

}  // namespace

std::unique_ptr<WorkerProcess> WorkerProcess::start(const std::filesystem::path& executable, std::string* error) {
  auto fail = [&](int number) -> std::unique_ptr<WorkerProcess> {
    if (error) *error = PlatformError::posix(number, executable.string()).localizedDescription();
    return nullptr;
  };
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return fail(errno);
  FileDescriptor ours(sockets[0]);
  FileDescriptor theirs(sockets[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDOUT_FILENO);
  // Nothing else of ours (the display connection, the settings file) reaches the helper.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  std::string path = executable.string();
  char* argv[] = {path.data(), nullptr};
  pid_t pid = 0;
  int result = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  theirs.reset();
  if (result != 0) return fail(result);
  return std::make_unique<WorkerProcess>(Private{}, pid, std::move(ours));
}

WorkerProcess::WorkerProcess(Private, pid_t pid, FileDescriptor channel)
    : pid_(pid),
      channel_(std::move(channel)),
      statm_(::open(("/proc/" + std::to_string(pid) + "/statm").c_str(), O_RDONLY | O_CLOEXEC)),
      // The C library's declaration of pidfd_open lacks C linkage in C++; the system call is the same.
      pidfd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {
  reaper_ = std::thread([this] { reapWhenEnded(); });
}

WorkerProcess::~WorkerProcess() {
  channel_.close();
  if (!hasEnded() && !killed_) {
    pollfd ended{pidfd_.get(), POLLIN, 0};
    if (!pidfd_ || ::poll(&ended, 1, endingTimeoutMilliseconds) <= 0) kill();
  }
  reaper_.join();
}

void WorkerProcess::reapWhenEnded() {
  nameThisThread("q-reaper");
  // Waits for the end without reaping, then reaps under the lock: a signal sent by number under the lock never
  // reaches a process that took the number over.
  siginfo_t ended{};
  while (::waitid(P_PID, static_cast<id_t>(pid_), &ended, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
  {
    std::lock_guard lock(statusMutex_);
    int status = 0;
    pid_t result;
    while ((result = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
    waitStatus_ = result == pid_ ? status : 0;
  }
  ended_.notify_all();
}

bool WorkerProcess::send(std::string_view message, Clock::time_point deadline) {
  if (killed_ || message.size() > WorkerChannel::maximumMessageSize) return false;
  if (channel_.send(message, deadline)) return true;
  if (channel_.descriptor() < 0) {
    kill();  // it stopped taking the message halfway
  } else {
    endAfterClosingChannel(deadline);
  }
  return false;
}

std::variant<std::string, WorkerProcess::Stop> WorkerProcess::receive(Clock::time_point deadline, size_t memoryLimit,
                                                                      size_t maximumSize) {
  if (killed_) return Stop::ended;
  for (;;) {
    // Also while messages keep coming: a script that logs as it allocates is held to the limit too.
    if (residentMemory().value_or(0) > memoryLimit) {
      kill();
      return Stop::pastMemoryLimit;
    }
    if (Clock::now() >= deadline) {
      kill();
      return Stop::pastDeadline;
    }
    auto received = channel_.receive(std::min(Clock::now() + memoryCheckInterval, deadline), maximumSize);
    if (auto* message = std::get_if<std::string>(&received)) return std::move(*message);
    switch (std::get<WorkerChannel::Failure>(received)) {
      case WorkerChannel::Failure::pastDeadline:
        continue;
      case WorkerChannel::Failure::oversized:
        kill();
        return Stop::oversized;
      case WorkerChannel::Failure::closed:
        endAfterClosingChannel(deadline);
        return Stop::ended;
    }
  }
}

void WorkerProcess::endAfterClosingChannel(Clock::time_point deadline) {
  channel_.close();
  if (endsBy(std::min(deadline, Clock::now() + endingAfterClosedChannel))) return;
  outlivedChannel_ = true;
  kill();
}

bool WorkerProcess::isIdle() {
  if (killed_ || hasEnded() || channel_.descriptor() < 0) return false;
  pollfd readable{channel_.descriptor(), POLLIN, 0};
  if (::poll(&readable, 1, 0) == 0) return true;
  kill();
  return false;
}

void WorkerProcess::kill() {
  if (killed_) return;
  signal(SIGKILL);
  killed_ = true;
  channel_.close();
}

void WorkerProcess::signal(int number) {
  // Through the process's own descriptor: once reaped, its number may already belong to another process.
  if (pidfd_) {
    ::syscall(SYS_pidfd_send_signal, pidfd_.get(), number, nullptr, 0);
    return;
  }
  std::lock_guard lock(statusMutex_);
  if (!waitStatus_) ::kill(pid_, number);
}

bool WorkerProcess::hasEnded() const {
  std::lock_guard lock(statusMutex_);
  return waitStatus_.has_value();
}

bool WorkerProcess::endsBy(Clock::time_point deadline) const {
  std::unique_lock lock(statusMutex_);
  return ended_.wait_until(lock, deadline, [this] { return waitStatus_.has_value(); });
}

std::string WorkerProcess::endDescription() const {
  std::lock_guard lock(statusMutex_);
  if (!waitStatus_) return {};
  if (outlivedChannel_) return "closed its channel without ending, and was killed";
  if (WIFSIGNALED(*waitStatus_)) return "was killed by signal " + std::to_string(WTERMSIG(*waitStatus_));
  return "exited with status " + std::to_string(WEXITSTATUS(*waitStatus_));
}

std::optional<size_t> WorkerProcess::residentMemory() const {
  if (!statm_ || hasEnded()) return std::nullopt;
  char text[128];
  ssize_t length = ::pread(statm_.get(), text, sizeof text - 1, 0);
  if (length <= 0) return std::nullopt;
  text[length] = '\0';
  unsigned long size = 0, resident = 0, shared = 0;
  if (std::sscanf(text, "%lu %lu %lu", &size, &resident, &shared) != 3 || shared > resident) return std::nullopt;
  // Resident pages less those backed by files or shared memory: what the helper allocated for itself.
  return (resident - shared) * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace platform
