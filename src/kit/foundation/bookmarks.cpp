#include "kit/foundation/bookmarks.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "kit/foundation/file_metadata.h"
#include "kit/foundation/home_directory.h"
#include "platform/core/file_descriptor.h"

namespace kit {

namespace {

namespace fs = std::filesystem;

// What identifies a file across renames: its device and inode, and, where the file system keeps them, the inode's
// generation and the file's birth time, which tell a new file from an old one that had the same inode before
// (0: not known).
struct Identity {
  uint64_t device = 0, inode = 0, generation = 0;
  int64_t bornSeconds = 0;
  uint32_t bornNanoseconds = 0;
};

// The generation of a file's inode, where the file system tells it (the file is opened, not read).
uint64_t generationOf(const fs::path& path, bool followLinks) {
  const platform::FileDescriptor file(
      open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW)));
  if (!file) return 0;
  long generation = 0;
  if (ioctl(file.get(), FS_IOC_GETVERSION, &generation) != 0) generation = 0;
  return static_cast<uint32_t>(generation);
}

std::optional<Identity> identityOf(const fs::path& path, bool followLinks = true, bool withGeneration = true) {
  struct statx status {};
  int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  if (statx(AT_FDCWD, path.c_str(), flags, STATX_INO | STATX_BTIME, &status) != 0) return std::nullopt;
  Identity identity{makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_ino};
  if ((status.stx_mask & STATX_BTIME) != 0) {
    identity.bornSeconds = status.stx_btime.tv_sec;
    identity.bornNanoseconds = status.stx_btime.tv_nsec;
  }
  if (withGeneration) identity.generation = generationOf(path, followLinks);
  return identity;
}

// The file at `path` is the bookmarked one. Facts that one side does not know are not compared.
bool isSameFile(const fs::path& path, const Identity& bookmarked, bool followLinks = true) {
  auto found = identityOf(path, followLinks, false);
  if (!found || found->device != bookmarked.device || found->inode != bookmarked.inode) return false;
  if (found->bornSeconds != 0 && bookmarked.bornSeconds != 0 &&
      (found->bornSeconds != bookmarked.bornSeconds || found->bornNanoseconds != bookmarked.bornNanoseconds))
    return false;
  uint64_t generation = bookmarked.generation != 0 ? generationOf(path, followLinks) : 0;
  return generation == 0 || generation == bookmarked.generation;
}

PlatformError corruptBookmarkError() {
  return PlatformError(
      "NSCocoaErrorDomain", 259,
      {{platform::userinfo::localizedDescription,
        std::string("The file couldn\u2019t be opened because it isn\u2019t in the correct format.")}});
}

// Looks for the file with `identity` in the folders below `root` (not following links, not leaving the file
// system), breadth first, at most `depth` levels down; `budget` bounds the entries looked at across searches.
std::optional<fs::path> search(const fs::path& root, const Identity& identity, int depth, int& budget) {
  std::deque<std::pair<fs::path, int>> folders{{root, 0}};
  while (!folders.empty() && budget > 0) {
    auto [folder, level] = folders.front();
    folders.pop_front();
    std::error_code error;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end && budget > 0; it.increment(error)) {
      --budget;
      auto found = identityOf(it->path(), false, false);
      if (!found) continue;
      if (isSameFile(it->path(), identity, false)) return it->path();
      std::error_code kindError;
      if (level + 1 < depth && found->device == identity.device && it->is_directory(kindError) &&
          !it->is_symlink(kindError))
        folders.emplace_back(it->path(), level + 1);
    }
  }
  return std::nullopt;
}

fs::path comparable(const fs::path& path) {
  std::error_code error;
  fs::path canonical = fs::weakly_canonical(path, error);
  if (error) canonical = path.lexically_normal();
  if (!canonical.has_filename() && canonical.has_parent_path() && canonical != canonical.root_path())
    canonical = canonical.parent_path();
  return canonical;
}

}  // namespace

SandboxURLBookmark SecurityScopedBookmarkManager::bookmark(const platform::Url& url) {
  if (!url.isFileUrl()) throw fileNoSuchFileError();
  fs::path path = fs::path(url.path()).lexically_normal();
  auto identity = identityOf(path);
  if (!identity || !path.is_absolute()) throw fileNoSuchFileError();
  nlohmann::json data = {{"path", path.string()},
                         {"device", identity->device},
                         {"inode", identity->inode},
                         {"generation", identity->generation},
                         {"born", {identity->bornSeconds, identity->bornNanoseconds}}};
  std::string text = data.dump();
  return SandboxURLBookmark(Bytes8(text.begin(), text.end()));
}

SecurityScopedBookmarkManager::Resolved SecurityScopedBookmarkManager::resolve(const SandboxURLBookmark& bookmark) {
  const auto& bytes = bookmark.bookmarkData;
  nlohmann::json data = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
  auto isUnsigned = [&](const char* key) { return data.contains(key) && data[key].is_number_unsigned(); };
  if (!data.is_object() || !data.contains("path") || !data["path"].is_string() || !isUnsigned("device") ||
      !isUnsigned("inode") || !isUnsigned("generation") || !data.contains("born") || !data["born"].is_array() ||
      data["born"].size() != 2 || !data["born"][0].is_number_integer() || !data["born"][1].is_number_unsigned())
    throw corruptBookmarkError();
  fs::path path = data["path"].get<std::string>();
  if (!path.is_absolute()) throw corruptBookmarkError();
  const Identity identity{data["device"].get<uint64_t>(), data["inode"].get<uint64_t>(),
                          data["generation"].get<uint64_t>(), data["born"][0].get<int64_t>(),
                          data["born"][1].get<uint32_t>()};
  auto urlOf = [](const fs::path& found) { return *platform::Url::fileUrl(found); };

  if (isSameFile(path, identity)) return {urlOf(path), false};

  // Renamed or moved: searched from the nearest folder that is still there, then from up to two folders above it,
  // never above the home folder nor beyond the file system.
  fs::path near = path.parent_path();
  std::error_code error;
  while (near != near.root_path() && !fs::is_directory(near, error)) near = near.parent_path();
  int budget = 20000;
  const fs::path& home = realHomeDirectory();
  for (int up = 0; up < 3; ++up) {
    if (auto found = search(near, identity, 4, budget)) return {urlOf(*found), true};
    auto above = identityOf(near.parent_path(), true, false);
    if (near == home || near == near.root_path() || !above || above->device != identity.device) break;
    near = near.parent_path();
  }
  if (identityOf(path, true, false)) return {urlOf(path), true};
  throw fileNoSuchFileError();
}

void SecurityScopedBookmarkManager::NSOpenSavePanelDelegateHandler::validate(const platform::Url& chosen) const {
  if (chosen == currentURL_ || comparable(chosen.path()) == comparable(currentURL_.path())) return;
  std::string shown = currentURL_.path();
  while (shown.size() > 1 && shown.ends_with('/')) shown.pop_back();
  const std::string home = realHomeDirectory().string();
  if (home != "/" && (shown == home || shown.starts_with(home + "/"))) shown = "~" + shown.substr(home.size());
  throw appError("Incorrect directory.", "Select the directory \u201c" + shown + "\u201d.");
}

}  // namespace kit
