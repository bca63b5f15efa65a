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

void deleteSettingsAndData() {
  auto& suite = platform::UserDefaults::standard();
  // The preferences go to the trash as they are, restorable, before their keys are removed: a file kept elsewhere
  // through a link (dotfiles in a repository) is never written, the link itself goes. What is still on its way to the
  // file lands first, so that no write is under way meanwhile.
  suite.flush();
  const auto preferences = suite.filePath();
  std::vector<std::filesystem::path> existing;
  for (const auto& path : ownDataPaths()) {
    std::error_code ignored;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) existing.push_back(path);
  }
  try {
    trashItems(existing);
  } catch (const Error& error) {
    log({"Could not delete all data:", error.localizedDescription()}, LogType::error, "deleteSettingsAndData()");
    // A link that stayed goes all the same: the removals below are written to a file of our own, never into the one
    // it names.
    std::error_code ignored;
    if (std::filesystem::is_symlink(preferences, ignored)) std::filesystem::remove(preferences, ignored);
  }
  Preferences::removeAll(suite);
  suite.flush();
}

void confirmDeleteSettingsAndDataAtLaunch(uint64_t modifierFlags) {
  if (!LaunchChord::isHeld(LaunchChord::dataReset, modifierFlags)) return;
  activateApp();
  const AlertResponse response = alertPresenter().runModal(
      makeAlert("Are you sure you want to delete the settings and data for " + AppFacts::name() + "?", std::nullopt,
                std::nullopt, AlertStyle::warning, std::nullopt, {"Delete", "Cancel"}, std::nullopt, {0}));
  if (response.code != alertFirstButtonReturn) return;
  deleteSettingsAndData();
  relaunchInTask();
}

}  // namespace kit
