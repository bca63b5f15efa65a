#include "kit/app/data_reset.h"

#include "kit/app/app_facts.h"
#include "kit/app/launch_chord.h"
#include "kit/app/relaunch.h"
#include "kit/app/system_directories.h"
#include "kit/foundation/alert.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"
#include "kit/foundation/zv_app.h"
#include "kit/preferences/key.h"

namespace kit {

std::vector<std::filesystem::path> ownDataPaths() {
  return {platform::UserDefaults::standard().filePath(),
          systemDirectory(SystemDirectory::applicationSupport) / ZvApp::id(),
          systemDirectory(SystemDirectory::caches) / ZvApp::id()};
}

std::vector<std::filesystem::path> deleteSettingsAndData() {
  auto& suite = platform::UserDefaults::standard();
  // The preferences go to the trash as they are, restorable, before their keys are removed: a file kept elsewhere
  // through a link (dotfiles in a repository) is never written, the link itself goes. What is still on its way to the
  // file lands first, so that no write is under way meanwhile.
  suite.flush();
  std::vector<std::filesystem::path> leftBehind;
  for (const auto& path : ownDataPaths()) {
    std::error_code ignored;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) continue;
    try {
      trashItem(path);
      continue;
    } catch (const Error& error) {
      log({"Could not delete all data:", error.localizedDescription()}, LogType::error, "deleteSettingsAndData()");
    }
    // A link that cannot go to the trash (which lies on another file system, say) goes all the same, as a link: the
    // file it names stays as it was, and the removals below are written to a file of the program's own.
    if (std::filesystem::is_symlink(path, ignored) && std::filesystem::remove(path, ignored)) {
      log({"Removed the link instead:", path.string()}, LogType::error, "deleteSettingsAndData()");
      continue;
    }
    leftBehind.push_back(path);
  }
  Preferences::removeAll(suite);
  suite.flush();
  return leftBehind;
}

void deleteSettingsAndDataAndRelaunch() {
  if (const auto leftBehind = deleteSettingsAndData(); !leftBehind.empty()) {
    std::string list;
    for (const auto& path : leftBehind) list += path.string() + "\n";
    list.pop_back();
    alertPresenter().runModal(
        makeAlert("Some of the settings and data for " + AppFacts::name() + " could not be deleted.",
                  "These could not be moved to the trash and are still where they were:", list, AlertStyle::warning,
                  std::nullopt, {"OK"}));
  }
  relaunchInTask();
}

void confirmDeleteSettingsAndDataAtLaunch(uint64_t modifierFlags) {
  if (!LaunchChord::isHeld(LaunchChord::dataReset, modifierFlags)) return;
  activateApp();
  const AlertResponse response = alertPresenter().runModal(
      makeAlert("Are you sure you want to delete the settings and data for " + AppFacts::name() + "?", std::nullopt,
                std::nullopt, AlertStyle::warning, std::nullopt, {"Delete", "Cancel"}, std::nullopt, {0}));
  if (response.code != alertFirstButtonReturn) return;
  deleteSettingsAndDataAndRelaunch();
}

}  // namespace kit
