#include "kit/app/attachments_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "kit/app/system_directories.h"
#include "kit/foundation/log.h"
#include "kit/foundation/zv_app.h"

namespace kit {

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The folder `name` in `parent`, never through a link; made first (0700) when missing and `create` is set.
platform::FileDescriptor openFolderIn(int parent, const char* name, bool create) {
  platform::FileDescriptor folder(::openat(parent, name, folderFlags));
  if (!folder && errno == ENOENT && create && (::mkdirat(parent, name, 0700) == 0 || errno == EEXIST))
    folder.reset(::openat(parent, name, folderFlags));
  return folder;
}

bool isThisUsers(int descriptor) {
  struct stat info {};
  return ::fstat(descriptor, &info) == 0 && info.st_uid == ::geteuid();
}

// The names in the open folder, but "." and "..".
std::vector<std::string> entryNames(int folder) {
  std::vector<std::string> names;
  DIR* listing = ::fdopendir(::dup(folder));  // closedir closes the duplicate, never `folder`
  if (!listing) return names;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(listing);
  return names;
}

// Removes the message folder `name` in `folder` when it is this user's and last changed before `cutOff`: first the
// files and links in it (a link goes, what it names stays), then the folder itself, which a folder in it keeps.
void removeWhenOld(int folder, const std::string& name, time_t cutOff) {
  const platform::FileDescriptor message(::openat(folder, name.c_str(), folderFlags));
  struct stat info {};
  if (!message || ::fstat(message.get(), &info) != 0 || info.st_uid != ::geteuid() || info.st_mtime >= cutOff) return;
  for (const auto& inner : entryNames(message.get())) {
    struct stat innerInfo {};
    if (::fstatat(message.get(), inner.c_str(), &innerInfo, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(innerInfo.st_mode))
      ::unlinkat(message.get(), inner.c_str(), 0);
  }
  // Removes only an empty folder, and never what a link in its place names.
  ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
}

}  // namespace

std::filesystem::path attachmentsDirectory() {
  return systemDirectory(SystemDirectory::caches) / ZvApp::id() / "attachments";
}

std::optional<platform::FileDescriptor> openAttachmentsDirectory(bool create) {
  // The cache home itself may be a link of the user's choosing (to another disk, say); below it, only our own folders.
  const std::filesystem::path cacheHome = systemDirectory(SystemDirectory::caches);
  if (create) {
    std::error_code ignored;  // a cache home that cannot be made shows below
    std::filesystem::create_directories(cacheHome, ignored);
  }
  platform::FileDescriptor folder(::open(cacheHome.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  std::filesystem::path reached = cacheHome;
  for (const std::string& name : {ZvApp::id(), std::string("attachments")}) {
    if (!folder) return std::nullopt;
    reached /= name;
    folder = openFolderIn(folder.get(), name.c_str(), create);
    if (!folder && errno == ENOENT) return std::nullopt;
    if (!folder || !isThisUsers(folder.get())) {
      log({"Not a folder of the program's own, left alone:", reached.string()}, LogType::error,
          "openAttachmentsDirectory()");
      return std::nullopt;
    }
  }
  return folder;
}

std::function<void()> removalOfOldAttachments(std::chrono::hours age) {
  auto opened = openAttachmentsDirectory(false);
  if (!opened) return [] {};
  return [folder = std::make_shared<platform::FileDescriptor>(std::move(*opened)), id = ZvApp::id(), age] {
    const time_t cutOff = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() - age);
    for (const auto& name : entryNames(folder->get()))
      if (isTemporaryDirectoryName(name, id)) removeWhenOld(folder->get(), name, cutOff);
  };
}

}  // namespace kit
