#include "kit/app/system_directories.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>

#include "kit/app/app_facts.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/zv_app.h"
#include "platform/core/ascii.h"
#include "platform/core/file_descriptor.h"
#include "platform/core/user_account.h"
#include "platform/prefs/preference_file.h"

namespace kit {

namespace {

const char* kindName(SystemDirectory kind) {
  switch (kind) {
    case SystemDirectory::applicationSupport:
      return "applicationSupport";
    case SystemDirectory::caches:
      return "caches";
    case SystemDirectory::preferences:
      return "preferences";
    case SystemDirectory::home:
      return "home";
    case SystemDirectory::desktop:
      return "desktop";
    case SystemDirectory::documents:
      return "documents";
    case SystemDirectory::downloads:
      return "downloads";
    case SystemDirectory::music:
      return "music";
    case SystemDirectory::pictures:
      return "pictures";
    case SystemDirectory::videos:
      return "videos";
  }
  return "unknown";
}

// One of the user's own folders as user-dirs.dirs names it, read by Qt (with Qt's defaults below the home); none
// without a home. Qt finds the home through $HOME alone and takes "/" without it: then the folder Qt names below "/"
// is taken below the home the user database gives.
std::optional<std::filesystem::path> userDirectory(QStandardPaths::StandardLocation location) {
  const auto home = platform::homeDirectory();
  if (!home) return std::nullopt;
  const QString folder = QStandardPaths::writableLocation(location);
  if (folder.isEmpty()) return std::nullopt;
  const std::filesystem::path path(folder.toStdString());
  const std::filesystem::path qtHome(QDir::homePath().toStdString());
  if (qtHome == *home) return path;
  const std::filesystem::path belowHome = path.lexically_relative(qtHome);
  return belowHome.empty() || *belowHome.begin() == ".." ? path : *home / belowHome;
}

std::filesystem::path resolvingSymlinks(const std::filesystem::path& path) {
  std::error_code ignored;
  auto resolved = std::filesystem::weakly_canonical(path, ignored);
  return resolved.empty() ? path : resolved;
}

// A new folder "<name>-XXXXXX" with permissions 0700 (as mkdtemp makes it); none, with errno set, on failure.
std::optional<std::filesystem::path> makePrivateDirectory(const std::filesystem::path& folder,
                                                          const std::string& name) {
  std::string pattern = (folder / (name + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) return std::nullopt;
  return pattern;
}

// The path itself when it exists, else its nearest ancestor that does.
std::filesystem::path nearestExisting(std::filesystem::path path) {
  std::error_code ignored;
  while (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored)) && path.has_relative_path())
    path = path.parent_path();
  return path;
}

// The file system that holds the path, or would hold it once made.
std::optional<dev_t> deviceOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(nearestExisting(path).c_str(), &info) != 0) return std::nullopt;
  return info.st_dev;
}

// The top of the file system that holds `place` (its mount point); empty when it cannot be told.
std::filesystem::path topOfFileSystem(const std::filesystem::path& place) {
  return QStorageInfo(QString::fromStdString(place.string())).rootPath().toStdString();
}

// This user's trash folders at the top of a file system: the one in a shared .Trash, and the user's own.
std::array<std::filesystem::path, 2> trashesAtTop(const std::filesystem::path& top) {
  const std::string uid = std::to_string(::getuid());
  return {top / ".Trash" / uid, top / (".Trash-" + uid)};
}

// The folders a move of the item to the trash may make, parents first: the home's trash (made here before the move,
// with whatever of the data folder is missing) and the trash at the top of the item's own file system, which Qt makes
// when the item lies on another one: <top>/.Trash-<uid>, or <top>/.Trash/<uid> in a shared .Trash, with their files
// and info folders. The item may itself be the top (a mount point), so the tops of the item and of its folder count.
std::vector<std::filesystem::path> trashFoldersFor(const std::filesystem::path& item,
                                                   const std::filesystem::path& homeTrash) {
  std::vector<std::filesystem::path> folders;
  const std::filesystem::path existing = nearestExisting(homeTrash);
  for (std::filesystem::path missing = homeTrash; missing != existing && missing.has_relative_path();
       missing = missing.parent_path())
    folders.insert(folders.begin(), missing);
  folders.push_back(homeTrash / "files");
  folders.push_back(homeTrash / "info");
  std::vector<std::filesystem::path> tops;
  for (const auto& place : {item, std::filesystem::absolute(item).parent_path()}) {
    const std::filesystem::path top = topOfFileSystem(place);
    if (!top.empty() && std::find(tops.begin(), tops.end(), top) == tops.end()) tops.push_back(top);
  }
  for (const auto& top : tops) {
    for (const auto& trash : trashesAtTop(top)) {
      folders.push_back(trash);
      folders.push_back(trash / "files");
      folders.push_back(trash / "info");
    }
  }
  return folders;
}

// Notes which of the folders are missing now; unless told to keep them, removes those that are there when it goes and
// empty (rmdir never removes a folder with content), deepest first.
class FoldersMadeOnTheWay {
 public:
  explicit FoldersMadeOnTheWay(const std::vector<std::filesystem::path>& folders) {
    std::error_code ignored;
    for (const auto& folder : folders)
      if (!std::filesystem::exists(std::filesystem::symlink_status(folder, ignored))) missing_.push_back(folder);
  }
  ~FoldersMadeOnTheWay() {
    if (kept_) return;
    for (auto folder = missing_.rbegin(); folder != missing_.rend(); ++folder) ::rmdir(folder->c_str());
  }
  FoldersMadeOnTheWay(const FoldersMadeOnTheWay&) = delete;
  FoldersMadeOnTheWay& operator=(const FoldersMadeOnTheWay&) = delete;
  void keep() { kept_ = true; }

 private:
  std::vector<std::filesystem::path> missing_;
  bool kept_ = false;
};

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw PlatformError::posix(errno, "Could not write " + path.string());
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

// A folder made when missing that is ours alone: a real folder (no link) that this user owns.
bool makeOwnFolder(const std::filesystem::path& folder) {
  ::mkdir(folder.c_str(), 0700);
  struct stat info {};
  return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

// The trash at the top of the file system that holds `folder`, made when missing: <top>/.Trash/<uid> when the top has
// a shared .Trash (a real folder with the sticky bit), else <top>/.Trash-<uid>. None when neither can be used.
std::optional<std::filesystem::path> topTrashFor(const std::filesystem::path& folder) {
  const std::filesystem::path top = topOfFileSystem(folder);
  if (top.empty()) return std::nullopt;
  const auto [inShared, own] = trashesAtTop(top);
  struct stat shared {};
  const bool sharedUsable =
      ::lstat((top / ".Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX) != 0;
  for (const auto& trash : sharedUsable ? std::vector{inShared, own} : std::vector{own}) {
    if (makeOwnFolder(trash) && makeOwnFolder(trash / "files") && makeOwnFolder(trash / "info")) return trash;
  }
  return std::nullopt;
}

// Moves a symbolic link itself into the trash, beside the record of where it was: the home's trash when the link lies
// on its file system, else the one at the top of the link's own. Qt looks through a link: it finds nothing to move
// where the link names nothing, and picks the trash of the file system the link names. The record, made anew under a
// free name, holds that name while the link moves.
void moveLinkToTrash(const std::filesystem::path& link, const std::filesystem::path& homeTrash,
                     const std::string& context) {
  const std::filesystem::path absolute = std::filesystem::absolute(link).lexically_normal();
  struct stat linkInfo {};
  struct stat homeInfo {};
  if (::lstat(absolute.c_str(), &linkInfo) != 0) throw PlatformError::posix(errno, context);
  const auto trash = ::stat(homeTrash.c_str(), &homeInfo) == 0 && homeInfo.st_dev == linkInfo.st_dev
                         ? std::optional(homeTrash)
                         : topTrashFor(absolute.parent_path());
  if (!trash) throw PlatformError::posix(EXDEV, context);
  const std::string record =
      "[Trash Info]\nPath=" + QByteArray::fromStdString(absolute.string()).toPercentEncoding("/").toStdString() +
      "\nDeletionDate=" + QDateTime::currentDateTime().toString("yyyy-MM-ddThh:mm:ss").toStdString() + "\n";
  const std::string name = absolute.filename().string();
  for (int copy = 1;; ++copy) {
    const std::string entry = copy == 1 ? name : name + "." + std::to_string(copy);
    const std::filesystem::path info = *trash / "info" / (entry + ".trashinfo");
    const std::filesystem::path file = *trash / "files" / entry;
    platform::FileDescriptor written(::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!written && errno == EEXIST) continue;
    if (!written) throw PlatformError::posix(errno, context);
    struct stat taken {};
    if (::lstat(file.c_str(), &taken) == 0) {  // a file of that name without its record: the next name
      ::unlink(info.c_str());
      continue;
    }
    try {
      writeAll(written.get(), record, info);
      if (!written.close() || ::rename(absolute.c_str(), file.c_str()) != 0) throw PlatformError::posix(errno, context);
    } catch (...) {
      ::unlink(info.c_str());
      throw;
    }
    return;
  }
}

}  // namespace

std::filesystem::path systemDirectory(SystemDirectory kind) {
  std::optional<std::filesystem::path> base;
  switch (kind) {
    case SystemDirectory::applicationSupport:
      base = platform::xdgBaseDirectory("XDG_DATA_HOME", ".local/share");
      break;
    case SystemDirectory::caches:
      base = platform::xdgBaseDirectory("XDG_CACHE_HOME", ".cache");
      break;
    case SystemDirectory::preferences:
      // Where the preferences suites really are.
      base = platform::configDirectory();
      break;
    case SystemDirectory::home:
      base = platform::homeDirectory();
      break;
    case SystemDirectory::desktop:
      base = userDirectory(QStandardPaths::DesktopLocation);
      break;
    case SystemDirectory::documents:
      base = userDirectory(QStandardPaths::DocumentsLocation);
      break;
    case SystemDirectory::downloads:
      base = userDirectory(QStandardPaths::DownloadLocation);
      break;
    case SystemDirectory::music:
      base = userDirectory(QStandardPaths::MusicLocation);
      break;
    case SystemDirectory::pictures:
      base = userDirectory(QStandardPaths::PicturesLocation);
      break;
    case SystemDirectory::videos:
      base = userDirectory(QStandardPaths::MoviesLocation);
      break;
  }
  if (!base) {
    ZvApp::reportError(appError(std::string("Could not get system directory: ") + kindName(kind)));
    base = platform::temporaryDirectory();
  }
  return resolvingSymlinks(*base);
}

std::filesystem::path appDirectory(SystemDirectory kind) {
  std::filesystem::path folder = systemDirectory(kind) / ZvApp::id();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) reportToErrorHook(PlatformError::posix(error.value(), "Could not create " + folder.string()));
  return folder;
}

const std::filesystem::path& appSupportDirectory() {
  static const std::filesystem::path folder = appDirectory(SystemDirectory::applicationSupport);
  return folder;
}

const std::filesystem::path& appCachesDirectory() {
  static const std::filesystem::path folder = appDirectory(SystemDirectory::caches);
  return folder;
}

std::filesystem::path autostartEntryPath() {
  return systemDirectory(SystemDirectory::preferences) / "autostart" / (ZvApp::id() + ".desktop");
}

void trashItem(const std::filesystem::path& path) {
  const std::string context = "Could not move " + path.string() + " to the trash";
  std::error_code error;
  const auto status = std::filesystem::symlink_status(path, error);
  if (!std::filesystem::exists(status)) throw PlatformError::posix(ENOENT, context);
  // The trash of the home lies in the data folder, which a new account may not have yet. It must be there: where Qt
  // can make no trash, it moves the item into the current folder instead (and reports success).
  const std::filesystem::path trash = systemDirectory(SystemDirectory::applicationSupport) / "Trash";
  FoldersMadeOnTheWay made(trashFoldersFor(path, trash));
  std::filesystem::create_directories(trash.parent_path(), error);
  for (const auto& folder : {trash, trash / "files", trash / "info"}) {
    ::mkdir(folder.c_str(), 0700);
    if (!std::filesystem::is_directory(folder, error))
      throw PlatformError::posix(ENOTDIR, context + ": " + folder.string() + " is not a folder");
  }
  if (std::filesystem::is_symlink(status)) {
    moveLinkToTrash(path, trash, context);
    made.keep();
    return;
  }
  QFile item(QString::fromStdString(path.string()));
  errno = 0;
  if (item.moveToTrash()) {
    made.keep();
    return;
  }
  // Qt tells the system's reason as text; the code is what the failed call left in errno.
  const int code = errno != 0 ? errno : EIO;
  throw PlatformError(PlatformError::posixDomain, code,
                      {{platform::userinfo::localizedDescription, context + ": " + item.errorString().toStdString()}});
}

void trashItems(const std::vector<std::filesystem::path>& paths) {
  for (const auto& path : paths) trashItem(path);
}

std::filesystem::path createTemporaryDirectory(const std::optional<std::filesystem::path>& parent) {
  const std::filesystem::path folder = parent.value_or(platform::temporaryDirectory());
  if (auto made = makePrivateDirectory(folder, ZvApp::id())) return *made;
  throw PlatformError::posix(errno, "Could not create a temporary folder in " + folder.string());
}

bool isTemporaryDirectoryName(std::string_view name, std::string_view id) {
  constexpr size_t uniqueLength = 6;  // mkdtemp's XXXXXX
  if (name.size() != id.size() + 1 + uniqueLength || !name.starts_with(id) || name[id.size()] != '-') return false;
  return std::all_of(name.end() - uniqueLength, name.end(),
                     [](char c) { return platform::isAsciiLetter(c) || platform::isAsciiDigit(c); });
}

std::filesystem::path itemReplacementDirectory(const std::optional<std::filesystem::path>& appropriateFor) {
  const std::filesystem::path reference = std::filesystem::absolute(appropriateFor.value_or(AppFacts::url()));
  const std::filesystem::path beside = nearestExisting(reference.parent_path());
  int failure = ENOENT;
  if (const auto device = deviceOf(reference)) {
    const std::pair<std::filesystem::path, std::string> places[] = {
        {platform::temporaryDirectory(), ZvApp::id()},
        {appDirectory(SystemDirectory::caches), ZvApp::id()},
        {beside, "." + ZvApp::id()},  // hidden among the user's own files
    };
    for (const auto& [folder, name] : places) {
      if (folder.empty() || deviceOf(folder) != device) continue;
      if (auto made = makePrivateDirectory(folder, name)) return *made;
      failure = errno;
    }
  }
  reportToErrorHook(
      PlatformError::posix(failure, "Could not create a folder on the file system of " + reference.string()),
      {{"url()", AppFacts::url().string()}});
  return createTemporaryDirectory();
}

std::filesystem::path createTemporaryFile(const std::optional<std::string>& filename, std::string_view contentType,
                                          std::string_view content,
                                          const std::optional<std::filesystem::path>& parent) {
  std::string name = filename.value_or("file");
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
    throw PlatformError::posix(EINVAL, "Not a file name: " + name);
  const QMimeType type = QMimeDatabase().mimeTypeForName(
      QString::fromUtf8(contentType.data(), static_cast<qsizetype>(contentType.size())));
  const auto hasExtension = [&name](const QString& extension) {
    const std::string suffix = "." + extension.toStdString();
    return name.size() > suffix.size() && name.ends_with(suffix);
  };
  const QStringList extensions = type.suffixes();
  if (!type.preferredSuffix().isEmpty() && std::none_of(extensions.begin(), extensions.end(), hasExtension))
    name += "." + type.preferredSuffix().toStdString();

  const std::filesystem::path folder = parent ? createTemporaryDirectory(parent) : itemReplacementDirectory();
  std::filesystem::path file = folder / name;
  try {
    platform::FileDescriptor written(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!written) throw PlatformError::posix(errno, "Could not create " + file.string());
    writeAll(written.get(), content, file);
    if (!written.close()) throw PlatformError::posix(errno, "Could not write " + file.string());
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    throw;
  }
  return file;
}

TemporaryDirectory::~TemporaryDirectory() {
  if (kept_) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace kit
