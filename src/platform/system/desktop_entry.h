#pragma once

#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One installed application, as its desktop entry describes it. The id is the application's identity
// (the "bundle identifier" of the rest of the program).
struct DesktopEntry {
  std::string id;
  std::filesystem::path path;
  std::string name;
  std::string icon;  // theme name or absolute path
  std::string exec, tryExec, startupWmClass;
  bool hidden = false;
  bool noDisplay = false;        // installed, but not listed among the user's applications
  bool autostartEnabled = true;  // X-GNOME-Autostart-enabled, which only autostart entries carry
};

// Parses the [Desktop Entry] group of a desktop file. None unless it is an application entry with a name.
// `locale` is a POSIX locale name (lang_COUNTRY.ENCODING@MODIFIER) that picks the localized Name.
// Never throws; any bytes are accepted.
std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, std::string_view locale);

// The application entry in a desktop file anywhere (a dropped file, say): its id is the one it has below an
// applications folder, else the file name without ".desktop". None for a file that is not a shown application
// entry or is unreasonably large.
std::optional<DesktopEntry> readDesktopEntryFile(const std::filesystem::path& path);

// The program an Exec or TryExec line starts: the first word, unquoted and with "%%" read as "%", with a leading
// "env VAR=..." skipped.
std::string programOfExec(std::string_view exec);

// The desktop-entry id of a file below an applications folder: the relative path with '/' turned into '-',
// without the ".desktop" suffix.
std::optional<std::string> desktopEntryIdForRelativePath(const std::filesystem::path& relative);

// The entries installed in the XDG data folders ($XDG_DATA_HOME, then $XDG_DATA_DIRS), the first file of an
// id winning. Rescanned when a folder changes. Safe from any thread.
class DesktopEntries {
 public:
  static std::optional<DesktopEntry> lookup(std::string_view id);
  // Reads the applications folders, and finds the programs their entries run, on a background thread now, so that
  // the first look-up finds them read; a look-up meanwhile waits for that reading rather than doing it again. Ready
  // once they are read.
  static std::shared_future<void> readAhead();
  static std::optional<std::string> idForFile(const std::filesystem::path& path);
  static std::vector<DesktopEntry> all();
  // An entry whose StartupWMClass, else whose id, equals `wmClass` ignoring ASCII case.
  static std::optional<DesktopEntry> matchingWmClass(std::string_view wmClass);
  // An entry whose TryExec or Exec program is this executable (absolute, or found in PATH).
  static std::optional<DesktopEntry> matchingExecutable(const std::filesystem::path& executable);
  // The applications folders in search order: the user's own, then the shared ones.
  static std::vector<std::filesystem::path> applicationFolders();
  // The applications folders of the data folders every user shares ($XDG_DATA_DIRS), in search order.
  static std::vector<std::filesystem::path> sharedApplicationFolders();
};

}  // namespace platform
