#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "kit/foundation/json_coding.h"

class QWidget;

namespace kit {

// Texts that a window keeps between its openings, by key, in a state file of the application
// ($XDG_STATE_HOME/<application id>/scenes.json). A window is known by its object name, else by its class, so the
// same window finds its state again when it opens in a later run. Main thread only.
class SceneStorage {
 public:
  explicit SceneStorage(std::filesystem::path file);
  static SceneStorage& shared();

  std::optional<std::string> string(const std::string& scene, const std::string& key) const;
  // Writes the whole file at once; a failed write is reported and the value is kept for this run.
  void setString(const std::string& scene, const std::string& key, const std::string& value);

  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
  std::map<std::string, std::map<std::string, std::string>> scenes_;
};

// The name a window's state is kept under.
std::string sceneIdentifier(const QWidget& window);

// The JSON text of a value with the keys of every object in sorted order.
std::string sortedKeysJsonText(const Json& json);

// Any codable value kept in a window's scene storage, as the JSON text of its value (keys sorted). Nothing usable
// stored reads as the default: no text, or text that does not decode (which stays until the next successful
// write). A value that cannot be encoded leaves the stored text as it was.
template <class Value>
class SceneStorageForCodable {
 public:
  SceneStorageForCodable(Value defaultValue, std::string key, std::string scene,
                         SceneStorage& storage = SceneStorage::shared())
      : defaultValue_(std::move(defaultValue)), key_(std::move(key)), scene_(std::move(scene)), storage_(storage) {}
  SceneStorageForCodable(Value defaultValue, std::string key, const QWidget& window,
                         SceneStorage& storage = SceneStorage::shared())
      : SceneStorageForCodable(std::move(defaultValue), std::move(key), sceneIdentifier(window), storage) {}

  Value wrappedValue() const {
    auto stored = storage_.string(scene_, key_);
    if (!stored) return defaultValue_;
    return decodedJson<Value>(*stored).value_or(defaultValue_);
  }

  void setWrappedValue(const Value& value) {
    std::string text;
    try {
      text = sortedKeysJsonText(encodeJson(value));
    } catch (const std::exception&) {
      return;
    }
    storage_.setString(scene_, key_, text);
  }

  // Reads, lets `change` modify the value, writes it back.
  template <class F>
  void modify(F&& change) {
    Value value = wrappedValue();
    change(value);
    setWrappedValue(value);
  }

  // Access for controls that read and write a value. It holds a copy of this wrapper (the value lives in the
  // storage), so it works wherever the wrapper has gone.
  struct Binding {
    std::function<Value()> get;
    std::function<void(const Value&)> set;
  };
  Binding projectedValue() const {
    return {[wrapper = *this] { return wrapper.wrappedValue(); },
            [wrapper = *this](const Value& value) mutable { wrapper.setWrappedValue(value); }};
  }

 private:
  Value defaultValue_;
  std::string key_;
  std::string scene_;
  SceneStorage& storage_;
};

}  // namespace kit
