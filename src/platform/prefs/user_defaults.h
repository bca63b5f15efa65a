#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app_identity.h"
#include "platform/core/rx_cancellable.h"
#include "platform/prefs/plist_value.h"

namespace platform {

class FileWatcher;

// The length and a hash (64-bit FNV-1a) of a file's bytes.
struct FileFingerprint {
  std::size_t size = 0;
  std::uint64_t hash = 0xcbf29ce484222325ull;
  friend bool operator==(const FileFingerprint&, const FileFingerprint&) = default;
};

// A preferences suite: a property list at $XDG_CONFIG_HOME/<suite name>.plist, held in memory.
// Reads see the file's value (the application domain), else a registered default. Writes apply in memory
// at once and reach the file shortly after, atomically, as XML or, for what XML cannot hold, in the binary form (see
// PropertyListDocument); every suite is flushed at exit. Values larger in both forms than the 64 MiB a file is read
// with are not written: the file stays as it is, and the changes are kept in memory until a later change can be
// written. Changes made to the file by another process are merged in and reported as changes of the keys that differ.
// Thread-safe; observers run on the writing thread, outside every lock (outside changes: on the main
// executor). After every change the default notification centre posts "NSUserDefaultsDidChangeNotification"
// with the suite name under "suite" in its user info.
class UserDefaults : public std::enable_shared_from_this<UserDefaults> {
 public:
  static constexpr const char* standardSuiteName = identity::preferencesSuite;
  static constexpr const char* didChangeNotification = "NSUserDefaultsDidChangeNotification";

  static UserDefaults& standard();
  // The suite of that name, shared while anyone holds it. None for "", ".", ".." and names with "/".
  static std::shared_ptr<UserDefaults> named(std::string_view suiteName);

  ~UserDefaults();
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

  const std::string& suiteName() const { return name_; }
  const std::filesystem::path& filePath() const { return path_; }

  std::optional<PlistValue> object(std::string_view key) const;
  // Reads without copying: calls `read` with the value under the lock; returns whether there was one.
  // For hot paths that test a flag on every clipboard change.
  template <class F>
  bool withObject(std::string_view key, F&& read) const;

  void set(std::string_view key, PlistValue value);
  void remove(std::string_view key);
  // Merges per key, the last registration wins. Registered values are never written to the file.
  void registerDefaults(const PlistDict& defaults);

  // Registered defaults overlaid with the stored values.
  PlistDict dictionaryRepresentation() const;
  // The stored values only (what the file holds once written).
  PlistDict persistentDomain() const;

  struct Change {
    std::optional<PlistValue> oldValue;
    std::optional<PlistValue> newValue;
    bool isPrior = false;
  };
  struct ObserveOptions {
    bool initial = false;  // one call at once with the current value as newValue
    bool prior = false;    // an extra call before each change, with isPrior and no newValue
  };
  // Observes the key until the returned token is cancelled or destroyed. Once cancel() returns on a thread,
  // that thread sees no further callback; a callback already running elsewhere may finish.
  [[nodiscard]] rx::AnyCancellable observe(const std::string& key, ObserveOptions options,
                                           std::function<void(const Change&)> callback);

  // Writes pending changes to the file now.
  void flush();

  // Removes the temporary files that killed writes of this suite left, whatever their age; a write in progress, of
  // this process or another, is never touched. (At its start a suite removes only those older than ten minutes: a
  // second instance of an earlier version may be writing.) The program calls it once it holds the session's name.
  void removeTemporaryFilesOfKilledWrites();

 private:
  struct Private {};
  struct Observer;

 public:
  UserDefaults(Private, std::string name, std::filesystem::path path);

 private:
  void start();
  void load();
  void scheduleWrite();
  void writerLoop();
  void writeNow();
  struct KeyChange {
    std::string key;
    Change change;
  };
  void fileChanged();
  void syncWithFile();
  // Takes in the changes another writer made to the file. Throws PlatformError when it cannot be read.
  std::vector<KeyChange> mergeFileLocked();
  void deliverOutsideChanges(const std::vector<KeyChange>& changes);
  // Logs `message` unless `reason` is what was said last about the file. Under writeMutex_.
  void reportTroubleLocked(const std::string& reason, const std::string& message);
  std::optional<PlistValue> effectiveLocked(std::string_view key) const;
  std::vector<std::shared_ptr<Observer>> observersOf(std::string_view key) const;
  void notify(const std::vector<std::shared_ptr<Observer>>& observers, const Change& change) const;
  // Before a change of the key: its value now, told to the observers that asked for a call before each change.
  Change announceChange(std::string_view key, const std::vector<std::shared_ptr<Observer>>& observers) const;
  void removeObserver(const std::shared_ptr<Observer>& entry);
  void postDidChange();

  const std::string name_;
  const std::filesystem::path path_;

  mutable std::mutex mutex_;
  PlistDict stored_;
  PlistDict registered_;
  bool dirty_ = false;
  bool stopping_ = false;
  // What the file held when we last wrote or read it, without a copy of it: each key's value hash, for the
  // three-way merge with another writer, and the fingerprint of its bytes, to recognise our own writes.
  std::map<std::string, std::size_t, std::less<>> fileValueHashes_;
  std::optional<FileFingerprint> fileFingerprint_;  // none: no file
  std::chrono::steady_clock::duration lastWriteDuration_{};
  // After a failed write: when the next try is due, and how long the wait before it was.
  std::optional<std::chrono::steady_clock::time_point> retryAt_;
  std::chrono::steady_clock::duration retryDelay_{};
  std::condition_variable writerWake_;

  std::mutex writeMutex_;    // one file write at a time; outside changes are merged under it too
  std::string troubleSaid_;  // the last trouble with the file that was logged, until a write works (writeMutex_)

  mutable std::mutex observersMutex_;
  std::map<std::string, std::vector<std::shared_ptr<Observer>>, std::less<>> observers_;

  std::thread writer_;
  std::unique_ptr<FileWatcher> watcher_;
};

template <class F>
bool UserDefaults::withObject(std::string_view key, F&& read) const {
  std::lock_guard lock(mutex_);
  if (auto it = stored_.find(key); it != stored_.end()) {
    read(it->second);
    return true;
  }
  if (auto it = registered_.find(key); it != registered_.end()) {
    read(it->second);
    return true;
  }
  return false;
}

}  // namespace platform
