#include "kit/foundation/object_lifetime.h"

#include <dlfcn.h>
#include <link.h>

#include <QCoreApplication>
#include <mutex>
#include <unordered_map>

#include "platform/core/own_executable.h"

namespace kit {
namespace detail {
namespace {

struct AssociationTable {
  std::mutex lock;
  std::unordered_map<const QObject*, std::unordered_map<const void*, std::any>> values;
};

AssociationTable& table() {
  static AssociationTable shared;
  return shared;
}

void releaseAll(const QObject* object) {
  std::unordered_map<const void*, std::any> released;
  {
    std::lock_guard guard(table().lock);
    auto it = table().values.find(object);
    if (it == table().values.end()) return;
    released = std::move(it->second);
    table().values.erase(it);
  }
  // Released outside the lock: a released value may run code that attaches or reads values.
}

}  // namespace

std::optional<std::any> associatedValue(const QObject* object, const void* slot) {
  std::lock_guard guard(table().lock);
  auto it = table().values.find(object);
  if (it == table().values.end()) return std::nullopt;
  auto value = it->second.find(slot);
  if (value == it->second.end()) return std::nullopt;
  return value->second;
}

void setAssociatedValue(QObject* object, const void* slot, std::any value) {
  std::any previous;
  bool firstValue = false;
  {
    std::lock_guard guard(table().lock);
    auto [it, inserted] = table().values.try_emplace(object);
    firstValue = inserted;
    std::any& stored = it->second[slot];
    previous = std::move(stored);
    stored = std::move(value);
  }
  if (firstValue) QObject::connect(object, &QObject::destroyed, [object] { releaseAll(object); });
}

}  // namespace detail

struct LifetimeAssociation::Tracker {
  Tracker(std::shared_ptr<void> kept, std::function<void()> handler)
      : object(std::move(kept)), deinitHandler(std::move(handler)) {}
  Tracker(const Tracker&) = delete;
  Tracker& operator=(const Tracker&) = delete;
  std::shared_ptr<void> object;
  std::function<void()> deinitHandler;
  ~Tracker() {
    if (deinitHandler) deinitHandler();
  }
};

ObjectAssociation<LifetimeAssociation::Trackers>& LifetimeAssociation::associations() {
  static ObjectAssociation<Trackers> shared(Trackers{}, AssociationPolicy::retainNonatomic);
  return shared;
}

LifetimeAssociation::LifetimeAssociation(std::shared_ptr<void> object, QObject* owner,
                                         std::function<void()> deinitHandler) {
  auto tracker = std::make_shared<Tracker>(std::move(object), std::move(deinitHandler));
  Trackers trackers = associations().get(owner);
  trackers.push_back(tracker);
  associations().set(owner, std::move(trackers));
  tracker_ = tracker;
  owner_ = owner;
}

LifetimeAssociation::~LifetimeAssociation() { detach(); }

void LifetimeAssociation::dissolve() {
  if (auto tracker = tracker_.lock()) tracker->deinitHandler = nullptr;
  detach();
}

void LifetimeAssociation::detach() {
  auto tracker = tracker_.lock();
  if (!owner_ || !tracker) return;
  Trackers trackers = associations().get(owner_);
  auto it = std::find(trackers.begin(), trackers.end(), tracker);
  if (it == trackers.end()) return;
  trackers.erase(it);
  associations().set(owner_, std::move(trackers));
  owner_.clear();
  // `tracker` is the last holder now, unless someone else keeps it: leaving this scope ends it.
}

ListenerHolder::~ListenerHolder() {
  for (auto& listener : listeners_) listener.cancel();
}

void ListenerHolder::addObserver(std::string name, std::function<void(const platform::Notification&)> observer) {
  if (auto center = center_.lock()) listeners_.push_back(center->addObserver(std::move(name), std::move(observer)));
}

const std::filesystem::path& BundleMarker::bundle() {
  static const std::filesystem::path folder = [] {
    Dl_info info{};
    link_map* file = nullptr;
    if (dladdr1(reinterpret_cast<const void*>(&BundleMarker::bundle), &info, reinterpret_cast<void**>(&file),
                RTLD_DL_LINKMAP) != 0 &&
        file) {
      // The program itself has no name of its own in the loader's list.
      std::error_code error;
      auto path =
          file->l_name && *file->l_name ? std::filesystem::canonical(file->l_name, error) : platform::ownExecutable();
      if (!error && path.has_parent_path()) return path.parent_path();
    }
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
  }();
  return folder;
}

namespace {

struct Completions {
  std::mutex lock;
  std::vector<std::function<void()>> queue;
};

Completions& completions() {
  static Completions shared;
  return shared;
}

}  // namespace

void LaunchCompletions::add(std::function<void()> completion) {
  std::lock_guard guard(completions().lock);
  completions().queue.push_back(std::move(completion));
}

void LaunchCompletions::runFinishedLaunchingCompletions() {
  std::vector<std::function<void()>> queued;
  {
    std::lock_guard guard(completions().lock);
    queued.swap(completions().queue);
  }
  for (auto& completion : queued) {
    if (completion) completion();
  }
}

}  // namespace kit
