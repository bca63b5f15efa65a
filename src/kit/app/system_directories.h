#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The user's folders and files of the program: where its data, caches and preferences live, the trash, and
// private temporary files.
namespace kit {

// The desktop's folders for each kind of file: the XDG base directories, and the user's own folders as the XDG user
// directories name them (~/.config/user-dirs.dirs).
enum class SystemDirectory {
  applicationSupport,  // $XDG_DATA_HOME, else ~/.local/share
  caches,              // $XDG_CACHE_HOME, else ~/.cache
  preferences,         // $XDG_CONFIG_HOME, else ~/.config
  home,                // $HOME, else the password database's home
  desktop,             // XDG_DESKTOP_DIR, else ~/Desktop
  documents,           // XDG_DOCUMENTS_DIR, else ~/Documents
  downloads,           // XDG_DOWNLOAD_DIR, else ~/Downloads
  music,               // XDG_MUSIC_DIR, else ~/Music
  pictures,            // XDG_PICTURES_DIR, else ~/Pictures
  videos,              // XDG_VIDEOS_DIR, else ~/Videos
};

// The user's folder of that kind, with symbolic links resolved; it need not exist. Never fails: without a home
// folder the failure is reported and the temporary folder stands in.
std::filesystem::path systemDirectory(SystemDirectory kind);

// The program's own folder of that kind, named by its id, created when missing. A folder that cannot be
// created is reported; its path is returned all the same.
std::filesystem::path appDirectory(SystemDirectory kind);
// The program's data and cache folders, each worked out (and created) once per process.
const std::filesystem::path& appSupportDirectory();
const std::filesystem::path& appCachesDirectory();
// The entry that starts the program at login: <config>/autostart/<id>.desktop.
std::filesystem::path autostartEntryPath();

// Moves a file or folder to the user's trash, where it can be restored from: the trash of the home, or the one at the
// top of the item's own file system. A symbolic link is moved itself, also one that names nothing. Throws the system's
// error as a POSIX error (a missing item is ENOENT; a mount point, which cannot be moved, EXDEV "Invalid cross-device
// link"). A failed move leaves nothing behind: the trash folders it made on the way are removed again while they are
// empty.
void trashItem(const std::filesystem::path& path);
// Each in order; the first failure is thrown and the items after it stay in place.
void trashItems(const std::vector<std::filesystem::path>& paths);

// A new, empty folder that only this user can enter, in `parent` (the temporary folder when none is given). Throws
// PlatformError, also when the folder to make it in is missing.
std::filesystem::path createTemporaryDirectory(const std::optional<std::filesystem::path>& parent = std::nullopt);
// Whether `name` is one that createTemporaryDirectory() gives a folder of the program with id `id`: the id, "-" and
// six ASCII letters or digits.
bool isTemporaryDirectoryName(std::string_view name, std::string_view id);

// A new, empty folder that only this user can enter, on the file system of `path` (of the running program when none
// is given), so that a file made in it can be renamed over the one at `path`: in the temporary folder or the
// program's cache folder when one of them lies on that file system, else a hidden folder beside `path`. When none
// can be made there the failure is reported and a new folder in the temporary folder stands in. Throws
// PlatformError only when that fails too.
std::filesystem::path itemReplacementDirectory(
    const std::optional<std::filesystem::path>& appropriateFor = std::nullopt);

// Writes the text into a new private folder (made by createTemporaryDirectory(parent), or by
// itemReplacementDirectory() when no parent is given), as `filename` (else "file") with the preferred file-name
// extension of `contentType`, a MIME type ("text/plain" gives ".txt"), added when the name has none of the type's
// extensions. The file is made anew with permissions 0600 (never through an existing file or a symbolic link).
// Answers its path. Throws PlatformError.
std::filesystem::path createTemporaryFile(const std::optional<std::string>& filename, std::string_view contentType,
                                          std::string_view content,
                                          const std::optional<std::filesystem::path>& parent = std::nullopt);

// Removes its folder, with the content, when it goes (unless told to keep it); a folder already gone is no error.
class TemporaryDirectory {
 public:
  explicit TemporaryDirectory(std::filesystem::path path) : path_(std::move(path)) {}
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // The folder stays when this goes.
  void keep() { kept_ = true; }

 private:
  std::filesystem::path path_;
  bool kept_ = false;
};

}  // namespace kit
