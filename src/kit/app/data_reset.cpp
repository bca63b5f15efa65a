#include "kit/app/data_reset.h"

#include "kit/app/launch_chord.h"
#include "kit/app/relaunch.h"
#include "kit/app/system_directories.h"
#include "kit/foundation/alert.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"
#include "kit/foundation/zv_app.h"
#include "kit/preferences/key.h"
#include "platform/core/file_reading.h"
#include "platform/prefs/plist_codec.h"

namespace kit {

OwnDataPaths ownDataPaths() {
  return {platform::UserDefaults::standard().filePath(),
          systemDirectory(SystemDirectory::applicationSupport) / ZvApp::id(),
          systemDirectory(SystemDirectory::caches) / ZvApp::id()};
}

namespace {

void logNotDeleted(const Error& error) {
  log({"Could not delete all data:", error.localizedDescription()}, LogType::error, "deleteSettingsAndData()");
}

// Moves the item to the trash; false, and a line in the log, when it stays.
bool movedToTrash(const std::filesystem::path& path) {
  try {
    trashItem(path);
    return true;
  } catch (const Error& error) {
    logNotDeleted(error);
    return false;
  }
}

bool isThere(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// Whether the preferences file now holds no setting (once the removals reached it).
bool holdsNoSettings(const std::filesystem::path& file) {
  try {
    const auto bytes = platform::readWholeFile(file);
    const auto settings = bytes ? platform::parsePropertyListDictionary(*bytes) : std::nullopt;
    return settings && settings->empty();
  } catch (const Error&) {
    return false;
  }
}

std::string describe(const LeftBehind& item) {
  switch (item.reason) {
    case LeftBehind::Reason::notMoved:
      return item.path.string() + " is still where it was.";
    case LeftBehind::Reason::notTried:
      return item.path.string() +
             " is still where it was: it was not tried, since the folder before it could not be moved.";
    case LeftBehind::Reason::emptiedInPlace:
      return item.path.string() + ": its settings were removed, and the empty file stayed.";
  }
  return item.path.string();
}

}  // namespace

std::vector<LeftBehind> deleteSettingsAndData() {
  auto& suite = platform::UserDefaults::standard();
  // The preferences go to the trash as they are, restorable, before their keys are removed: a file kept elsewhere
  // through a link (dotfiles in a repository) is never written, the link itself goes. What is still on its way to the
  // file lands first, so that no write is under way meanwhile.
  suite.flush();
  std::vector<LeftBehind> leftBehind;
  const auto [preferences, data, cache] = ownDataPaths();
  if (isThere(preferences) && !movedToTrash(preferences)) {
    // A link that cannot go to the trash (which lies on another file system, say) goes all the same, as a link: the
    // file it names stays as it was, and the removals below are written to a file of the program's own.
    std::error_code ignored;
    if (std::filesystem::is_symlink(preferences, ignored) && std::filesystem::remove(preferences, ignored))
      log({"Removed the link instead:", preferences.string()}, LogType::error, "deleteSettingsAndData()");
    else
      leftBehind.push_back({preferences, LeftBehind::Reason::notMoved});
  }
  // The data folder, then the cache folder, whatever happened to the preferences; the cache folder is not tried when
  // the data folder stays.
  std::vector<std::filesystem::path> folders;
  for (const auto& folder : {data, cache})
    if (isThere(folder)) folders.push_back(folder);
  try {
    trashItems(folders);
  } catch (const Error& error) {
    logNotDeleted(error);
    if (isThere(data)) {
      leftBehind.push_back({data, LeftBehind::Reason::notMoved});
      if (isThere(cache)) leftBehind.push_back({cache, LeftBehind::Reason::notTried});
    } else if (isThere(cache)) {
      leftBehind.push_back({cache, LeftBehind::Reason::notMoved});
    }
  }
  Preferences::removeAll(suite);
  suite.flush();
  for (auto& item : leftBehind) {
    if (item.path == preferences && holdsNoSettings(preferences)) item.reason = LeftBehind::Reason::emptiedInPlace;
  }
  return leftBehind;
}

void deleteSettingsAndDataAndRelaunch() {
  if (const auto leftBehind = deleteSettingsAndData(); !leftBehind.empty()) {
    std::string list;
    for (const auto& item : leftBehind) list += describe(item) + "\n";
    list.pop_back();
    alertPresenter().runModal(makeAlert("Some of the settings and data for " + ZvApp::name() + " could not be deleted.",
                                        "These could not be moved to the trash:", list, AlertStyle::warning,
                                        std::nullopt, {"OK"}));
  }
  requestRelaunch();
}

void confirmDeleteSettingsAndDataAtLaunch(uint64_t modifierFlags) {
  if (!LaunchChord::isHeld(LaunchChord::dataReset, modifierFlags)) return;
  activateApp();
  const AlertResponse response = alertPresenter().runModal(
      makeAlert("Are you sure you want to delete the settings and data for " + ZvApp::name() + "?", std::nullopt,
                std::nullopt, AlertStyle::warning, std::nullopt, {"Delete", "Cancel"}, std::nullopt, {0}));
  if (response.code != alertFirstButtonReturn) return;
  deleteSettingsAndDataAndRelaunch();
}

}  // namespace kit
