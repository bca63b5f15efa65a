#include "platform/system/folder_changes.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

constexpr uint32_t folderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE |
                                  IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// In the nearest existing folder above one that does not exist: what can make it appear, or take the way down away.
constexpr uint32_t appearanceEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

int64_t modificationTime(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool missing(int error) { return error == ENOENT || error == ENOTDIR; }

}  // namespace

FolderChanges::FolderChanges(Notification notification) {
  if (notification == Notification::inotify) inotify_.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
}

void FolderChanges::watch(const std::filesystem::path& folder) {
  if (inotify_) {
    // Watches of one folder share a descriptor: IN_MASK_ADD keeps what an earlier watch of it asked for.
    int watch = inotify_add_watch(inotify_.get(), folder.c_str(), folderEvents | IN_ONLYDIR | IN_MASK_ADD);
    if (watch >= 0) {
      awaited_[watch].everything = true;
      return;
    }
    if (missing(errno) && watchAppearance(folder)) return;
  }
  modificationTimes_.emplace_back(folder, modificationTime(folder));
}

// Watches the nearest existing folder above `folder` for the next name on the way down to it.
bool FolderChanges::watchAppearance(const std::filesystem::path& folder) {
  std::filesystem::path below = folder.lexically_normal();
  if (!below.has_filename()) below = below.parent_path();  // a trailing '/'
  for (;;) {
    std::filesystem::path above = below.parent_path();
    if (above == below || above.empty()) return false;
    int watch = inotify_add_watch(inotify_.get(), above.c_str(), appearanceEvents | IN_ONLYDIR | IN_MASK_ADD);
    if (watch >= 0) {
      awaited_[watch].names.push_back(below.filename().string());
      return true;
    }
    if (!missing(errno)) return false;
    below = std::move(above);
  }
}

bool FolderChanges::concerns(uint32_t mask, int watch, const char* name) const {
  if ((mask & IN_Q_OVERFLOW) != 0) return true;  // events were lost
  auto it = awaited_.find(watch);
  if (it == awaited_.end() || it->second.everything || *name == '\0') return true;  // no name: the folder itself
  return std::find(it->second.names.begin(), it->second.names.end(), name) != it->second.names.end();
}

bool FolderChanges::notified() {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    ssize_t length = ::read(inotify_.get(), buffer, sizeof buffer);
    if (length <= 0) return false;  // EAGAIN: nothing (more) happened
    for (char* p = buffer; p < buffer + length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      if (concerns(event->mask, event->wd, event->len > 0 ? event->name : "")) return true;
      p += sizeof(inotify_event) + event->len;
    }
  }
}

bool FolderChanges::changed() {
  if (changed_) return true;
  if (inotify_ && notified()) return changed_ = true;
  changed_ = std::any_of(modificationTimes_.begin(), modificationTimes_.end(),
                         [](const auto& folder) { return modificationTime(folder.first) != folder.second; });
  return changed_;
}

}  // namespace platform
