#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Starting over: the program's settings and data deleted, then the program started again.
namespace kit {

// What belongs to the program alone, each by its own path: the standard preferences file and the data and cache
// folders named by the program's id. Never a folder that holds anything else. The login entry is not among them:
// whether the program starts at login is the user's choice of the desktop's, and it outlives starting over.
struct OwnDataPaths {
  std::filesystem::path preferences;
  std::filesystem::path data;
  std::filesystem::path cache;
};
OwnDataPaths ownDataPaths();

// What starting over left in place, and how.
struct LeftBehind {
  enum class Reason {
    notMoved,        // could not be moved to the trash
    notTried,        // the cache folder, not tried once the data folder could not be moved
    emptiedInPlace,  // the preferences file, which could not be moved: its settings were removed, the empty file stays
  };
  std::filesystem::path path;
  Reason reason;
  friend bool operator==(const LeftBehind&, const LeftBehind&) = default;
};

// Moves those of ownDataPaths() that exist to the trash, then removes every key of the standard preferences. The
// preferences file goes on its own, whole; when it is a symbolic link, the link goes and the file it names is left as
// it was (a link that cannot go to the trash is removed, as a link). Then the data folder and the cache folder, in
// that order: when the data folder cannot be moved, the cache folder is not tried. Answers what is still in place;
// failures are logged, nothing is shown.
std::vector<LeftBehind> deleteSettingsAndData();

// deleteSettingsAndData(), then an alert that lists what it left in place and how, if anything, then the program
// starts again.
void deleteSettingsAndDataAndRelaunch();

// Deletes the settings and data after the user confirmed it, then relaunches. Offered at launch when exactly Shift,
// Super, Alt and Ctrl are held (Caps Lock, Num Lock and Fn aside); "Cancel" changes nothing.
void confirmDeleteSettingsAndDataAtLaunch(uint64_t modifierFlags);

}  // namespace kit
