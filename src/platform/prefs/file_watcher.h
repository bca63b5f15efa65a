#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace platform {

// Watches one file by name through its folder (an atomic replace gives the name a new inode, so the
// file itself cannot be watched). Calls `onChange` on the watcher's own thread after the file was
// written and closed or renamed into place, once per burst of such events. The watcher may be destroyed
// from inside `onChange`.
class FileWatcher {
 public:
  FileWatcher(const std::filesystem::path& file, std::function<void()> onChange);
  ~FileWatcher();
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  bool isWatching() const { return thread_.joinable(); }

 private:
  struct State;
  static void run(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace platform
