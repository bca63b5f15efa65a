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
  Preferences::removeAll(suite);
  suite.flush();
  std::vector<std::filesystem::path> existing;
  for (const auto& path : ownDataPaths()) {
    std::error_code ignored;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) existing.push_back(path);
  }
  try {
    trashItems(existing);
  } catch (const Error& error) {
    log({"Could not delete all data:", error.localizedDescription()}, LogType::error, "deleteSettingsAndData()");
  }
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
