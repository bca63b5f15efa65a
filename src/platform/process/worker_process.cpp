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
#include <cstring>

extern char** environ;

namespace platform {

namespace {

using namespace std::chrono_literals;

// How often the helper's memory is looked at while an answer is awaited.
constexpr auto memoryCheckInterval = 2ms;
// How long an ending helper may take (flushing, leak checks of instrumented builds) before it is killed.
constexpr int endingTimeoutMilliseconds = 2000;

}  // namespace

std::unique_ptr<WorkerProcess> WorkerProcess::start(const std::filesystem::path& executable, std::string* error) {
  auto fail = [&](int number) -> std::unique_ptr<WorkerProcess> {
    if (error) *error = executable.string() + ": " + std::strerror(number);
    return nullptr;
  };
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return fail(errno);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
  // Nothing else of ours (the display connection, the settings file) reaches the helper.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  std::string path = executable.string();
  char* argv[] = {path.data(), nullptr};
  pid_t pid = 0;
  int result = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(sockets[1]);
  if (result != 0) {
    ::close(sockets[0]);
    return fail(result);
  }
  return std::make_unique<WorkerProcess>(Private{}, pid, sockets[0]);
}

WorkerProcess::WorkerProcess(Private, pid_t pid, int channel) : pid_(pid), channel_(channel) {
  statm_ = ::open(("/proc/" + std::to_string(pid) + "/statm").c_str(), O_RDONLY | O_CLOEXEC);
  // The C library's declaration of pidfd_open lacks C linkage in C++; the system call is the same.
  pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

WorkerProcess::~WorkerProcess() {
  channel_.close();
  if (!waitStatus_ && !killed_) {
    pollfd ended{pidfd_, POLLIN, 0};
    if (pidfd_ < 0 || ::poll(&ended, 1, endingTimeoutMilliseconds) <= 0) kill();
  }
  reap(0);
  if (statm_ >= 0) ::close(statm_);
  if (pidfd_ >= 0) ::close(pidfd_);
}

bool WorkerProcess::send(std::string_view message) { return !killed_ && !waitStatus_ && channel_.send(message); }

std::variant<std::string, WorkerProcess::Stop> WorkerProcess::receive(Clock::time_point deadline, size_t memoryLimit) {
  if (killed_ || waitStatus_) return Stop::ended;
  auto nextMemoryCheck = Clock::now() + memoryCheckInterval;
  for (;;) {
    auto now = Clock::now();
    if (now >= deadline) {
      kill();
      return Stop::pastDeadline;
    }
    // Also while messages keep coming: a script that logs as it allocates is held to the limit too.
    if (now >= nextMemoryCheck) {
      if (residentMemory().value_or(0) > memoryLimit) {
        kill();
        return Stop::pastMemoryLimit;
      }
      nextMemoryCheck = now + memoryCheckInterval;
    }
    auto wait = std::min(nextMemoryCheck, deadline) - now;
    timespec timeout{0, std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count()};
    pollfd readable{channel_.descriptor(), POLLIN, 0};
    int ready = ::ppoll(&readable, 1, &timeout, nullptr);
    if (ready < 0 && errno != EINTR) {
      kill();
      return Stop::ended;
    }
    if (ready > 0) {
      if (auto message = channel_.receive()) return std::move(*message);
      // The helper closed the channel: it is ending, most likely it died.
      channel_.close();
      reap(0);
      return Stop::ended;
    }
  }
}

bool WorkerProcess::isIdle() {
  if (killed_ || waitStatus_ || channel_.descriptor() < 0) return false;
  pollfd readable{channel_.descriptor(), POLLIN, 0};
  if (::poll(&readable, 1, 0) == 0) return true;
  kill();
  return false;
}

void WorkerProcess::kill() {
  if (killed_ || waitStatus_) return;
  ::kill(pid_, SIGKILL);
  killed_ = true;
  channel_.close();
}

bool WorkerProcess::hasEnded() {
  reap(WNOHANG);
  return waitStatus_.has_value();
}

std::string WorkerProcess::endDescription() const {
  if (!waitStatus_) return {};
  if (WIFSIGNALED(*waitStatus_)) return "killed by signal " + std::to_string(WTERMSIG(*waitStatus_));
  return "exited with status " + std::to_string(WEXITSTATUS(*waitStatus_));
}

std::optional<size_t> WorkerProcess::residentMemory() const {
  if (statm_ < 0 || waitStatus_) return std::nullopt;
  char text[128];
  ssize_t length = ::pread(statm_, text, sizeof text - 1, 0);
  if (length <= 0) return std::nullopt;
  text[length] = '\0';
  unsigned long size = 0, resident = 0, shared = 0;
  if (std::sscanf(text, "%lu %lu %lu", &size, &resident, &shared) != 3 || shared > resident) return std::nullopt;
  // Resident pages less those backed by files or shared memory: what the helper allocated for itself.
  return (resident - shared) * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

void WorkerProcess::reap(int options) {
  if (waitStatus_) return;
  int status = 0;
  pid_t result;
  while ((result = ::waitpid(pid_, &status, options)) < 0 && errno == EINTR) {
  }
  if (result == pid_) waitStatus_ = status;
}

}  // namespace platform
