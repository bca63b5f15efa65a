#include "platform/prefs/preference_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <utility>

#include "platform/core/error.h"
#include "platform/core/file_descriptor.h"
#include "platform/core/user_account.h"

namespace platform {
namespace {

std::string temporaryPrefix(const std::filesystem::path& target) {
  std::string prefix(".");
  prefix.append(target.filename().string()).append(".tmp-");
  return prefix;
}

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw PlatformError::posix(errno, "Could not write " + path.string());
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void syncDirectory(const std::filesystem::path& dir) {
  FileDescriptor folder(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder) ::fsync(folder.get());
}

// A fresh temporary file, locked for as long as it is open. A writer holds its file so until the file is renamed or
// removed: the files no one holds are those of writes that were killed. A cleaner may take a file between its making
// and its locking; the file then has to be made again.
FileDescriptor makeHeldTemporaryFile(const std::filesystem::path& dir, const std::string& pattern, std::string& path) {
  for (int attempt = 0;; ++attempt) {
    path = pattern;
    FileDescriptor file(::mkostemp(path.data(), O_CLOEXEC));
    if (!file) throw PlatformError::posix(errno, "Could not create a file in " + dir.string());
    int locked = 0;
    while ((locked = ::flock(file.get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    // Where files cannot be locked, nothing can tell a killed write from a live one: a cleaner leaves such files.
    if (locked != 0 || attempt >= 4) return file;
    struct stat held {};
    struct stat named {};
    if (::fstat(file.get(), &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino)
      return file;
  }
}

std::string utcStamp() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &tm);
  return buffer;
}

// Replaces what is at `path` itself; a symbolic link there is replaced by the file.
bool replaceAtomically(const std::filesystem::path& path, std::string_view bytes,
                       const std::function<bool()>& stillCurrent) {
  const auto dir = path.parent_path();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  mode_t mode = 0600;
  if (struct stat existing{}; ::lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    // A file the user made read-only stays as it is: a rename would replace it all the same.
    const bool writable = ::geteuid() == 0 ? (existing.st_mode & 0222) != 0 : ::access(path.c_str(), W_OK) == 0;
    if (!writable) throw PlatformError::posix(EACCES, path.string() + " is read-only");
    mode = existing.st_mode & 07777;
  }
  std::string tmpl;
  FileDescriptor file = makeHeldTemporaryFile(dir, (dir / (temporaryPrefix(path) + "XXXXXX")).string(), tmpl);
  // Keeps the lock past the close below, until the file has its place.
  const FileDescriptor held(::dup(file.get()));
  bool current = true;
  try {
    ::fchmod(file.get(), mode);
    writeAll(file.get(), bytes, path);
    if (::fsync(file.get()) != 0) throw PlatformError::posix(errno, "Could not sync " + path.string());
    if (!file.close()) throw PlatformError::posix(errno, "Could not write " + path.string());
    current = !stillCurrent || stillCurrent();
    if (current && ::rename(tmpl.c_str(), path.c_str()) != 0) {
      throw PlatformError::posix(errno, "Could not replace " + path.string());
    }
  } catch (...) {
    // A failed write leaves nothing behind.
    file.reset();
    ::unlink(tmpl.c_str());
    throw;
  }
  if (!current) {
    ::unlink(tmpl.c_str());
    return false;
  }
  syncDirectory(dir);
  return true;
}

}  // namespace

std::filesystem::path configDirectory() { return xdgBaseDirectory("XDG_CONFIG_HOME", ".config").value_or("/.config"); }

std::filesystem::path stateDirectory() {
  return xdgBaseDirectory("XDG_STATE_HOME", ".local/state").value_or("/.local/state");
}

std::filesystem::path followingLinks(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  // As many links as the system itself follows in one path.
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code error;
    if (!std::filesystem::is_symlink(current, error)) return current;
    auto target = std::filesystem::read_symlink(current, error);
    if (error) return current;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return current;
}

bool writeFileAtomically(const std::filesystem::path& link, std::string_view bytes,
                         const std::function<bool()>& stillCurrent) {
  // A file kept elsewhere through a link (dotfiles in a repository) is replaced where it is; the link stays.
  return replaceAtomically(followingLinks(link), bytes, stillCurrent);
}

void replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  replaceAtomically(path, bytes, {});
}

std::filesystem::path moveFileAside(const std::filesystem::path& path) {
  const std::string base = path.string() + ".corrupt-" + utcStamp();
  for (int attempt = 0;; ++attempt) {
    std::string candidate = attempt == 0 ? base : base + "-" + std::to_string(attempt);
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) == 0) {
      syncDirectory(path.parent_path());
      return candidate;
    }
    if (errno != EEXIST || attempt > 1000) throw PlatformError::posix(errno, "Could not move aside " + path.string());
  }
}

bool isTemporaryFileOf(std::string_view entryName, const std::filesystem::path& target) {
  return entryName.starts_with(temporaryPrefix(target));
}

int removeTemporaryFilesOfKilledWrites(const std::filesystem::path& target,
                                       std::optional<std::filesystem::file_time_type::duration> olderThan) {
  const auto file = followingLinks(target);
  const auto now = std::filesystem::file_time_type::clock::now();
  int removed = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), ec)) {
    if (!isTemporaryFileOf(entry.path().filename().string(), file)) continue;
    std::error_code timeError;
    if (olderThan) {
      const auto modified = entry.last_write_time(timeError);
      if (timeError || modified > now - *olderThan) continue;
    }
    // A write in progress holds its file locked, also when its process is another one; a file of a killed write is
    // held by no one. It is removed while locked, so that no writer takes it meanwhile.
    FileDescriptor held(::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!held || ::flock(held.get(), LOCK_EX | LOCK_NB) != 0) continue;
    struct stat opened {};
    struct stat named {};
    if (::fstat(held.get(), &opened) != 0 || ::lstat(entry.path().c_str(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
      continue;
    if (::unlink(entry.path().c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace platform
