#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/core/file_descriptor.h"

namespace platform {

// Tells whether anything changed in a set of folders since they were watched: a file in one of them created,
// written, removed, moved or given other attributes, the folder itself removed or moved, or a folder that did not
// exist appearing. Asking costs one read of an inotify descriptor; a folder inotify cannot watch (no instance to be
// had, the watch limit reached) is compared by its modification time instead, which sees files come and go but
// not a file written in place. Not thread-safe: its owner serialises the calls.
class FolderChanges {
 public:
  enum class Notification { inotify, modificationTimesOnly };

  explicit FolderChanges(Notification notification = Notification::inotify);

  // Watches `folder`, which need not exist. Watch a folder before reading it, so that no change slips between.
  void watch(const std::filesystem::path& folder);
  // Whether anything changed in a watched folder since it was watched; once true, stays true.
  bool changed();

 private:
  // What counts in the events of one watch: every one, or only those naming a folder on the way down to a
  // watched folder that does not exist yet.
  struct Awaited {
    bool everything = false;
    std::vector<std::string> names;
  };

  bool watchAppearance(const std::filesystem::path& folder);
  bool concerns(uint32_t mask, int watch, const char* name) const;
  bool notified();

  FileDescriptor inotify_;
  std::unordered_map<int, Awaited> awaited_;
  std::vector<std::pair<std::filesystem::path, int64_t>> modificationTimes_;  // of the folders not watched
  bool changed_ = false;
};

}  // namespace platform
