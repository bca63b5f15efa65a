#include "platform/prefs/user_defaults.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "platform/core/decimal_text.h"
#include "platform/core/error.h"
#include "platform/core/executor.h"
#include "platform/core/file_reading.h"
#include "platform/core/log_sink.h"
#include "platform/core/notification_center.h"
#include "platform/core/thread_name.h"
#include "platform/prefs/file_watcher.h"
#include "platform/prefs/plist_codec.h"
#include "platform/prefs/preference_file.h"

namespace platform {

struct UserDefaults::Observer {
  std::string key;
  UserDefaults::ObserveOptions options;
  std::function<void(const UserDefaults::Change&)> callback;
  std::atomic<bool> active{true};
};

namespace {

// Bursts of writes closer together than this reach the file once.
constexpr auto coalesceWindow = std::chrono::milliseconds(5);
// How often a write merges again when another writer replaced the file while ours was being prepared.
constexpr int mergeAttempts = 5;
// After a failed write the next try waits this long, twice as long after each further failure, up to the
// longest wait: a full disk or a folder that cannot be written is not hammered, and the write lands soon after
// the cause goes away.
constexpr auto firstRetryDelay = std::chrono::seconds(1);
constexpr auto longestRetryDelay = std::chrono::minutes(1);

void logError(const std::string& message, LogLevel level = LogLevel::error) {
  sendToJournal({.message = message,
                 .level = level,
                 .identifier = identity::applicationId,
                 .category = "general",
                 .file = __FILE__,
                 .line = 0,
                 .function = "UserDefaults"});
  mirrorToStandardError(message + "\n");
}

// Suites alive now, by name; leaked so that the exit flush never meets a destroyed registry.
struct Registry {
  std::mutex mutex;
  std::map<std::string, std::weak_ptr<UserDefaults>, std::less<>> suites;
};
Registry& registry() {
  static auto* r = new Registry;
  return *r;
}

void flushAllSuites() {
  std::vector<std::shared_ptr<UserDefaults>> live;
  {
    std::lock_guard lock(registry().mutex);
    for (auto& [name, weak] : registry().suites)
      if (auto suite = weak.lock()) live.push_back(std::move(suite));
  }
  for (auto& suite : live) suite->flush();
}

bool isValidSuiteName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

void postToMain(std::function<void()> work) { mainExecutor().post(std::move(work)); }

// 64-bit FNV-1a over the bytes, which can be fed in pieces.
void addToFingerprint(FileFingerprint& fingerprint, std::string_view bytes) {
  fingerprint.size += bytes.size();
  for (unsigned char byte : bytes) fingerprint.hash = (fingerprint.hash ^ byte) * 0x100000001b3ull;
}

FileFingerprint fingerprintOf(std::string_view bytes) {
  FileFingerprint fingerprint;
  addToFingerprint(fingerprint, bytes);
  return fingerprint;
}

// Read in pieces, never held whole. None when there is no file. Throws PlatformError.
std::optional<FileFingerprint> fingerprintOfFile(const std::filesystem::path& path) {
  FileFingerprint fingerprint;
  if (!readFileInPieces(path, [&](std::string_view piece) { addToFingerprint(fingerprint, piece); }))
    return std::nullopt;
  return fingerprint;
}

std::map<std::string, std::size_t, std::less<>> valueHashes(const PlistDict& dict) {
  std::map<std::string, std::size_t, std::less<>> hashes;
  for (const auto& [key, value] : dict) hashes.emplace(key, hashValue(value));
  return hashes;
}

// Settings take a few kilobytes; a file far larger slows every start and every change (each rewrites it).
constexpr std::size_t largeFileBytes = 1u << 20;

std::string sizeText(std::size_t bytes) {
  if (bytes >= 1000 * 1000) return decimalText(static_cast<double>(bytes) / 1e6, 1) + " MB";
  if (bytes >= 1000) return decimalText(static_cast<double>(bytes) / 1e3, 1) + " KB";
  return std::to_string(bytes) + " bytes";
}

void warnIfLarge(const std::filesystem::path& path, std::size_t fileSize, const PlistDict& dict) {
  if (fileSize <= largeFileBytes) return;
  std::vector<std::pair<std::size_t, std::string_view>> sizes;
  for (const auto& [key, value] : dict) sizes.emplace_back(approximateSize(value) + key.size(), key);
  const auto shown = std::min<std::size_t>(sizes.size(), 3);
  std::partial_sort(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(shown), sizes.end(),
                    [](const auto& a, const auto& b) { return a.first > b.first; });
  std::string largest;
  for (std::size_t i = 0; i < shown; ++i)
    largest +=
        std::string(i ? ", " : "") + "\"" + std::string(sizes[i].second) + "\" (" + sizeText(sizes[i].first) + ")";
  logError("The preferences file " + path.string() + " is " + sizeText(fileSize) +
           ", far more than settings need; it slows every start and every change. Its largest values: " + largest +
           ".");
}

}  // namespace

// ---- UserDefaults

UserDefaults::UserDefaults(Private, std::string name, std::filesystem::path path)
    : name_(std::move(name)), path_(std::move(path)) {}

std::shared_ptr<UserDefaults> UserDefaults::named(std::string_view suiteName) {
  if (!isValidSuiteName(suiteName)) return nullptr;
  static std::once_flag atExit;
  std::call_once(atExit, [] { std::atexit(flushAllSuites); });
  std::shared_ptr<UserDefaults> suite;
  {
    std::lock_guard lock(registry().mutex);
    auto& weak = registry().suites[std::string(suiteName)];
    suite = weak.lock();
    if (suite) return suite;
    suite = std::make_shared<UserDefaults>(Private{}, std::string(suiteName),
                                           configDirectory() / (std::string(suiteName) + ".plist"));
    weak = suite;
    suite->start();
  }
  return suite;
}

UserDefaults& UserDefaults::standard() {
  static std::shared_ptr<UserDefaults> suite = named(standardSuiteName);
  return *suite;
}

UserDefaults::~UserDefaults() {
  watcher_.reset();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  writerWake_.notify_all();
  if (writer_.joinable()) writer_.join();
  writeNow();
}

void UserDefaults::start() {
  load();
  std::error_code ec;
  std::filesystem::create_directories(path_.parent_path(), ec);
  // A writer killed between creating its temporary file and renaming it leaves the file behind. One no writer holds
  // is such a file; while another instance (of an earlier version, which holds none) may be writing, only old ones
  // are taken.
  platform::removeTemporaryFilesOfKilledWrites(path_, std::chrono::minutes(10));
  std::weak_ptr<UserDefaults> weak = weak_from_this();
  // A linked file is watched where it is: that is where it changes.
  watcher_ = std::make_unique<FileWatcher>(followingLinks(path_), [weak] {
    if (auto self = weak.lock()) self->fileChanged();
  });
  writer_ = std::thread([this] { writerLoop(); });
}

void UserDefaults::load() {
  std::optional<std::string> bytes;
  try {
    bytes = readWholeFile(path_);
  } catch (const Error& error) {
    std::lock_guard writing(writeMutex_);
    reportTroubleLocked(error.localizedDescription(),
                        error.localizedDescription() + "; the defaults apply, and the file is left as it is.");
    return;
  }
  if (!bytes) return;
  auto reading = readPropertyListDictionary(*bytes);
  if (auto& dict = reading.dict) {
    const auto fingerprint = fingerprintOf(*bytes);
    const auto fileSize = bytes->size();
    bytes.reset();
    warnIfLarge(path_, fileSize, *dict);
    auto hashes = valueHashes(*dict);
    std::lock_guard lock(mutex_);
    stored_ = std::move(*dict);
    fileValueHashes_ = std::move(hashes);
    fileFingerprint_ = fingerprint;
    return;
  }
  const std::string why = reading.problem.empty() ? "" : ": " + reading.problem;
  try {
    auto aside = moveFileAside(path_);
    logError("The preferences file " + path_.string() + " could not be read" + why + "; it was kept as " +
             aside.string() + " and the defaults apply.");
  } catch (const Error& error) {
    logError("The preferences file " + path_.string() + " could not be read" + why + ", nor moved aside (" +
             error.localizedDescription() + "); the defaults apply.");
  }
}

void UserDefaults::removeTemporaryFilesOfKilledWrites() { platform::removeTemporaryFilesOfKilledWrites(path_); }

std::optional<PlistValue> UserDefaults::effectiveLocked(std::string_view key) const {
  if (auto it = stored_.find(key); it != stored_.end()) return it->second;
  if (auto it = registered_.find(key); it != registered_.end()) return it->second;
  return std::nullopt;
}

std::optional<PlistValue> UserDefaults::object(std::string_view key) const {
  std::lock_guard lock(mutex_);
  return effectiveLocked(key);
}

UserDefaults::Change UserDefaults::announceChange(std::string_view key,
                                                  const std::vector<std::shared_ptr<Observer>>& observers) const {
  Change change;
  {
    std::lock_guard lock(mutex_);
    change.oldValue = effectiveLocked(key);
  }
  notify(observers, {change.oldValue, std::nullopt, true});
  return change;
}

void UserDefaults::set(std::string_view key, PlistValue value) {
  auto observers = observersOf(key);
  Change change = announceChange(key, observers);
  bool changed = true;
  {
    std::lock_guard lock(mutex_);
    change.newValue = value;
    if (auto it = stored_.find(key); it != stored_.end()) {
      changed = !(it->second == value);
      if (changed) it->second = std::move(value);
    } else {
      stored_.emplace(std::string(key), std::move(value));
    }
  }
  // Storing what is stored already leaves the file alone: with a large file, each write is costly.
  if (changed) scheduleWrite();
  notify(observers, change);
  postDidChange();
}

void UserDefaults::remove(std::string_view key) {
  auto observers = observersOf(key);
  Change change = announceChange(key, observers);
  bool removed = false;
  {
    std::lock_guard lock(mutex_);
    if (auto it = stored_.find(key); it != stored_.end()) {
      stored_.erase(it);
      removed = true;
    }
    change.newValue = effectiveLocked(key);
  }
  if (removed) scheduleWrite();
  notify(observers, change);
  postDidChange();
}

void UserDefaults::registerDefaults(const PlistDict& defaults) {
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : defaults) registered_.insert_or_assign(key, value);
}

PlistDict UserDefaults::dictionaryRepresentation() const {
  std::lock_guard lock(mutex_);
  PlistDict all = registered_;
  for (const auto& [key, value] : stored_) all.insert_or_assign(key, value);
  return all;
}

PlistDict UserDefaults::persistentDomain() const {
  std::lock_guard lock(mutex_);
  return stored_;
}

rx::AnyCancellable UserDefaults::observe(const std::string& key, ObserveOptions options,
                                         std::function<void(const Change&)> callback) {
  auto entry = std::make_shared<Observer>();
  entry->key = key;
  entry->options = options;
  entry->callback = std::move(callback);
  {
    std::lock_guard lock(observersMutex_);
    observers_[key].push_back(entry);
  }
  if (options.initial) {
    Change initial;
    initial.newValue = object(key);
    entry->callback(initial);
  }
  return rx::AnyCancellable([suite = weak_from_this(), entry] {
    entry->active = false;
    if (auto strong = suite.lock()) strong->removeObserver(entry);
  });
}

std::vector<std::shared_ptr<UserDefaults::Observer>> UserDefaults::observersOf(std::string_view key) const {
  std::lock_guard lock(observersMutex_);
  auto it = observers_.find(key);
  if (it == observers_.end()) return {};
  return it->second;
}

void UserDefaults::notify(const std::vector<std::shared_ptr<Observer>>& observers, const Change& change) const {
  for (const auto& entry : observers) {
    if (change.isPrior && !entry->options.prior) continue;
    if (entry->active) entry->callback(change);
  }
}

void UserDefaults::removeObserver(const std::shared_ptr<Observer>& entry) {
  std::lock_guard lock(observersMutex_);
  auto it = observers_.find(entry->key);
  if (it == observers_.end()) return;
  std::erase(it->second, entry);
  if (it->second.empty()) observers_.erase(it);
}

void UserDefaults::postDidChange() {
  NotificationCenter::defaultCenter().post({didChangeNotification, {{"suite", name_}}});
}

// ---- writing

void UserDefaults::scheduleWrite() {
  {
    std::lock_guard lock(mutex_);
    dirty_ = true;
  }
  writerWake_.notify_all();
}

void UserDefaults::writerLoop() {
  nameThisThread("q-prefswrite");
  std::unique_lock lock(mutex_);
  for (;;) {
    writerWake_.wait(lock, [this] { return dirty_ || stopping_; });
    if (stopping_) return;
    if (retryAt_) {
      // After a failure, new changes wait for the next try with the others.
      writerWake_.wait_until(lock, *retryAt_, [this] { return stopping_; });
    } else {
      // Let a burst of writes settle, then write once; a file that takes long to write waits as long again.
      writerWake_.wait_for(lock, std::max<std::chrono::steady_clock::duration>(coalesceWindow, lastWriteDuration_),
                           [this] { return stopping_; });
    }
    if (stopping_) return;
    lock.unlock();
    const auto started = std::chrono::steady_clock::now();
    writeNow();
    lock.lock();
    lastWriteDuration_ = std::chrono::steady_clock::now() - started;
  }
}

void UserDefaults::flush() { writeNow(); }

void UserDefaults::writeNow() {
  std::vector<KeyChange> outside;
  {
    std::lock_guard writing(writeMutex_);
    // Another writer may replace the file at any time: take in their changes first, so that our write does
    // not undo them, and merge again when they replaced it while ours was being prepared.
    for (int attempt = 0; attempt < mergeAttempts; ++attempt) {
      try {
        // A file that cannot be read is never replaced: what it holds cannot be merged.
        auto merged = mergeFileLocked();
        outside.insert(outside.end(), std::make_move_iterator(merged.begin()), std::make_move_iterator(merged.end()));
        // The library's copy is made under the lock and rendered outside it: the dictionary is never copied whole,
        // and the file is written from the library's buffer.
        std::optional<PropertyListDocument> document;
        std::map<std::string, std::size_t, std::less<>> hashes;
        std::optional<FileFingerprint> mergedFingerprint;
        {
          std::lock_guard lock(mutex_);
          if (dirty_) {
            document.emplace(stored_);
            hashes = valueHashes(stored_);
          }
          dirty_ = false;
          mergedFingerprint = fileFingerprint_;
        }
        if (!document) break;
        const auto rendered = document->bytes();
        if (!rendered) {
          // The file stays as it is: what it holds is read whole at the next start. Trying again before the next
          // change would meet the same refusal.
          reportTroubleLocked(document->problem(), "The preferences cannot be written to " + path_.string() + ": " +
                                                       document->problem() +
                                                       ". The file is left as it is; changes are kept in memory, "
                                                       "and the next change tries again.");
          break;
        }
        const std::string_view bytes = *rendered;
        bool written = writeFileAtomically(path_, bytes, [&] { return fingerprintOfFile(path_) == mergedFingerprint; });
        std::lock_guard lock(mutex_);
        if (!written) {
          dirty_ = true;
          continue;
        }
        fileValueHashes_ = std::move(hashes);
        fileFingerprint_ = fingerprintOf(bytes);
        retryAt_.reset();
        retryDelay_ = {};
        if (!troubleSaid_.empty()) {
          troubleSaid_.clear();
          logError("The preferences are written to " + path_.string() + " again.", LogLevel::notice);
        }
        break;
      } catch (const Error& error) {
        reportTroubleLocked(error.localizedDescription(),
                            "The preferences cannot be written: " + error.localizedDescription() +
                                ". Changes are kept in memory, and writing " + path_.string() +
                                " is tried again from time to time.");
        std::lock_guard lock(mutex_);
        dirty_ = true;
        retryDelay_ = retryDelay_ == std::chrono::steady_clock::duration{}
                          ? std::chrono::steady_clock::duration(firstRetryDelay)
                          : std::min<std::chrono::steady_clock::duration>(retryDelay_ * 2, longestRetryDelay);
        retryAt_ = std::chrono::steady_clock::now() + retryDelay_;
        break;
      }
    }
  }
  if (!outside.empty()) {
    std::weak_ptr<UserDefaults> weak = weak_from_this();
    postToMain([weak, outside = std::move(outside)] {
      if (auto self = weak.lock()) self->deliverOutsideChanges(outside);
    });
  }
}

// ---- outside changes

void UserDefaults::fileChanged() {
  {
    // Under the write lock, so that a write of ours in progress is complete before we compare.
    std::lock_guard writing(writeMutex_);
    std::optional<FileFingerprint> fingerprint;
    try {
      fingerprint = fingerprintOfFile(path_);
    } catch (const Error& error) {
      reportTroubleLocked(error.localizedDescription(), error.localizedDescription());
      return;
    }
    if (!fingerprint) return;
    std::lock_guard lock(mutex_);
    if (fingerprint == fileFingerprint_) return;  // our own write
  }
  std::weak_ptr<UserDefaults> weak = weak_from_this();
  postToMain([weak] {
    if (auto self = weak.lock()) self->syncWithFile();
  });
}

void UserDefaults::syncWithFile() {
  std::vector<KeyChange> changes;
  {
    std::lock_guard writing(writeMutex_);
    try {
      changes = mergeFileLocked();
    } catch (const Error& error) {
      reportTroubleLocked(error.localizedDescription(), error.localizedDescription());
    }
  }
  deliverOutsideChanges(changes);
}

std::vector<UserDefaults::KeyChange> UserDefaults::mergeFileLocked() {
  std::optional<std::string> bytes;
  bytes = readWholeFile(path_);
  if (!bytes) {
    // Removed (moved to the trash, say): our next write puts every value back, in a file of its own.
    std::lock_guard lock(mutex_);
    fileValueHashes_.clear();
    fileFingerprint_.reset();
    return {};
  }
  const auto fingerprint = fingerprintOf(*bytes);
  {
    std::lock_guard lock(mutex_);
    if (fingerprint == fileFingerprint_) return {};
  }
  auto reading = readPropertyListDictionary(*bytes);
  bytes.reset();
  auto& theirs = reading.dict;
  if (!theirs) {
    // Someone wrote a file we cannot read. Keep it for them and put our values back.
    try {
      auto aside = moveFileAside(path_);
      logError("The preferences file " + path_.string() + " was replaced by one that cannot be read" +
               (reading.problem.empty() ? "" : " (" + reading.problem + ")") + "; it was kept as " + aside.string() +
               ".");
    } catch (const Error& error) {
      logError(error.localizedDescription());
    }
    {
      std::lock_guard lock(mutex_);
      dirty_ = true;
      fileFingerprint_.reset();
    }
    writerWake_.notify_all();
    return {};
  }
  auto theirHashes = valueHashes(*theirs);
  std::vector<KeyChange> changes;
  std::lock_guard lock(mutex_);
  // Three-way merge: a key the other writer changed (file now against file before) takes their value;
  // every other key keeps ours, including changes not yet written.
  std::set<std::string, std::less<>> keys;
  for (const auto& [key, hash] : fileValueHashes_) keys.insert(key);
  for (const auto& [key, value] : *theirs) keys.insert(key);
  for (const auto& key : keys) {
    auto before = fileValueHashes_.find(key);
    auto now = theirs->find(key);
    bool hadBefore = before != fileValueHashes_.end(), hasNow = now != theirs->end();
    if (hadBefore == hasNow && (!hasNow || before->second == theirHashes.find(key)->second)) continue;
    auto ours = stored_.find(key);
    bool hasOurs = ours != stored_.end();
    if (hasOurs == hasNow && (!hasNow || ours->second == now->second)) continue;
    KeyChange item{key, {effectiveLocked(key), std::nullopt, false}};
    if (hasNow)
      stored_.insert_or_assign(key, std::move(now->second));
    else
      stored_.erase(ours);
    item.change.newValue = effectiveLocked(key);
    changes.push_back(std::move(item));
  }
  fileValueHashes_ = std::move(theirHashes);
  fileFingerprint_ = fingerprint;
  return changes;
}

void UserDefaults::reportTroubleLocked(const std::string& reason, const std::string& message) {
  // Said once: a file that cannot be read or written stays so for a while, and each try would say it again.
  if (reason == troubleSaid_) return;
  troubleSaid_ = reason;
  logError(message);
}

void UserDefaults::deliverOutsideChanges(const std::vector<KeyChange>& changes) {
  for (const auto& item : changes) {
    auto observers = observersOf(item.key);
    notify(observers, {item.change.oldValue, std::nullopt, true});
    notify(observers, item.change);
  }
  if (!changes.empty()) postDidChange();
}

}  // namespace platform
