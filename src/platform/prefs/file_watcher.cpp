#include "platform/prefs/file_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/file_descriptor.h"
#include "platform/core/thread_ending.h"
#include "platform/core/thread_name.h"

namespace platform {
namespace {
// Events closer together than this are one burst (an editor saving, a second instance writing twice).
constexpr int settleMilliseconds = 15;
}  // namespace

struct FileWatcher::State {
  std::string fileName;
  std::function<void()> onChange;
  FileDescriptor inotify;
  FileDescriptor stop;
};

FileWatcher::FileWatcher(const std::filesystem::path& file, std::function<void()> onChange)
    : state_(std::make_shared<State>()) {
  state_->fileName = file.filename().string();
  state_->onChange = std::move(onChange);
  state_->inotify.reset(inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
  if (!state_->inotify) return;
  if (inotify_add_watch(state_->inotify.get(), file.parent_path().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) return;
  state_->stop.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!state_->stop) return;
  thread_ = std::thread([state = state_] { run(state); });
}

FileWatcher::~FileWatcher() {
  if (!thread_.joinable()) return;
  uint64_t one = 1;
  [[maybe_unused]] auto written = ::write(state_->stop.get(), &one, sizeof one);
  joinUnlessCurrent(thread_);  // destroyed from its own callback: the thread ends after it returns
}

void FileWatcher::run(const std::shared_ptr<State>& state) {
  nameThisThread("q-filewatch");
  alignas(inotify_event) char buffer[8192];
  bool pending = false;
  for (;;) {
    pollfd fds[2] = {{state->inotify.get(), POLLIN, 0}, {state->stop.get(), POLLIN, 0}};
    int ready = ::poll(fds, 2, pending ? settleMilliseconds : -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (ready == 0) {
      pending = false;
      state->onChange();
      continue;
    }
    for (;;) {
      ssize_t n = ::read(state->inotify.get(), buffer, sizeof buffer);
      if (n <= 0) break;
      for (char* p = buffer; p < buffer + n;) {
        auto* event = reinterpret_cast<inotify_event*>(p);
        if (event->mask & IN_Q_OVERFLOW) pending = true;
        if (event->len > 0 && state->fileName == event->name) pending = true;
        p += sizeof(inotify_event) + event->len;
      }
    }
  }
}

}  // namespace platform
