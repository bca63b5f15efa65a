#include "kit/ui/scene_storage.h"

#include <QWidget>

#include "kit/foundation/report_error.h"
#include "kit/foundation/zv_app.h"
#include "platform/core/file_reading.h"
#include "platform/prefs/preference_file.h"

namespace kit {

namespace {

Json sortedKeys(const Json& json) {
  if (json.is_array()) {
    Json array = Json::array();
    for (const auto& element : json) array.push_back(sortedKeys(element));
    return array;
  }
  if (!json.is_object()) return json;
  std::map<std::string, const Json*> members;
  for (auto it = json.begin(); it != json.end(); ++it) members[it.key()] = &it.value();
  Json object = Json::object();
  for (const auto& [key, value] : members) object[key] = sortedKeys(*value);
  return object;
}

}  // namespace

std::string sortedKeysJsonText(const Json& json) { return jsonText(sortedKeys(json)); }

SceneStorage::SceneStorage(std::filesystem::path file) : file_(std::move(file)) {
  std::optional<std::string> content;
  try {
    content = platform::readWholeFile(file_);
  } catch (const platform::Error& error) {
    ZvApp::reportError(error);
  }
  if (!content) return;
  // A damaged file is state, not the user's data: it is started afresh.
  const Json json = Json::parse(*content, nullptr, false);
  if (!json.is_object()) return;
  for (auto scene = json.begin(); scene != json.end(); ++scene) {
    if (!scene.value().is_object()) continue;
    for (auto entry = scene.value().begin(); entry != scene.value().end(); ++entry)
      if (entry.value().is_string()) scenes_[scene.key()][entry.key()] = entry.value().get<std::string>();
  }
}

SceneStorage& SceneStorage::shared() {
  static SceneStorage storage(platform::stateDirectory() / ZvApp::id() / "scenes.json");
  return storage;
}

std::optional<std::string> SceneStorage::string(const std::string& scene, const std::string& key) const {
  auto found = scenes_.find(scene);
  if (found == scenes_.end()) return std::nullopt;
  auto entry = found->second.find(key);
  if (entry == found->second.end()) return std::nullopt;
  return entry->second;
}

void SceneStorage::setString(const std::string& scene, const std::string& key, const std::string& value) {
  scenes_[scene][key] = value;
  Json json = Json::object();
  for (const auto& [name, entries] : scenes_)
    for (const auto& [entryKey, text] : entries) json[name][entryKey] = text;
  try {
    platform::writeFileAtomically(file_, json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
  } catch (const platform::Error& error) {
    ZvApp::reportError(error);
  }
}

std::string sceneIdentifier(const QWidget& window) {
  if (!window.objectName().isEmpty()) return window.objectName().toStdString();
  return window.metaObject()->className();
}

}  // namespace kit
