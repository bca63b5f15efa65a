#pragma once

#include <QObject>
#include <QPointer>
#include <any>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "kit/foundation/fatal_error.h"
#include "platform/core/notification_center.h"

namespace kit {

// How an attached value is held. A shared object attached with `assign` is held weakly: once its other owners
// let it go, the slot reads its default; under `copy` and `copyNonatomic` the slot keeps a copy of the object, which
// later changes of the original do not reach. Every other value, and every value under the retain policies, is kept.
enum class AssociationPolicy { assign = 0, retainNonatomic = 1, copyNonatomic = 3, retain = 0x301, copy = 0x303 };

template <class T>
struct IsSharedPointer : std::false_type {};
template <class T>
struct IsSharedPointer<std::shared_ptr<T>> : std::true_type {
  using Weak = std::weak_ptr<T>;
};

namespace detail {
// Values attached to objects the kit does not own, keyed by object and slot; released when the object is destroyed.
std::optional<std::any> associatedValue(const QObject* object, const void* slot);
void setAssociatedValue(QObject* object, const void* slot, std::any value);
}  // namespace detail

// One slot of state attached to objects: each instance is a separate slot.
template <class Value>
class ObjectAssociation {
 public:
  explicit ObjectAssociation(Value defaultValue, AssociationPolicy policy = AssociationPolicy::retainNonatomic)
      : defaultValue_(std::move(defaultValue)), policy_(policy) {}
  ObjectAssociation(const ObjectAssociation&) = delete;
  ObjectAssociation& operator=(const ObjectAssociation&) = delete;

  // The stored value, or the default when there is none, it has another type or, held weakly, it is gone.
  Value get(const QObject* object) const {
    if (auto stored = detail::associatedValue(object, this)) {
      if (auto value = std::any_cast<Value>(&*stored)) return *value;
      if constexpr (IsSharedPointer<Value>::value) {
        if (auto weak = std::any_cast<typename IsSharedPointer<Value>::Weak>(&*stored)) {
          if (auto value = weak->lock()) return value;
        }
      }
    }
    return defaultValue_;
  }
  void set(QObject* object, Value value) {
    if constexpr (IsSharedPointer<Value>::value) {
      if (policy_ == AssociationPolicy::assign) {
        return detail::setAssociatedValue(object, this, typename IsSharedPointer<Value>::Weak(value));
      }
      if ((policy_ == AssociationPolicy::copy || policy_ == AssociationPolicy::copyNonatomic) && value) {
        using Object = typename Value::element_type;
        if constexpr (std::is_copy_constructible_v<Object>)
          value = std::make_shared<Object>(*value);
        else
          fatalError("A slot that keeps copies was given an object that cannot be copied.");
      }
    }
    detail::setAssociatedValue(object, this, std::move(value));
  }
  AssociationPolicy policy() const { return policy_; }

 private:
  Value defaultValue_;
  AssociationPolicy policy_;
};

// Keeps `object` alive as long as `owner` lives; when the owner goes, the handler runs and the object is released.
// Main thread only.
class LifetimeAssociation {
 public:
  LifetimeAssociation(std::shared_ptr<void> object, QObject* owner, std::function<void()> deinitHandler);
  // Ends the tie: the tracker leaves the owner and, unless something else holds it, runs its handler now.
  ~LifetimeAssociation();
  LifetimeAssociation(const LifetimeAssociation&) = delete;
  LifetimeAssociation& operator=(const LifetimeAssociation&) = delete;

  // Ends the tie early without running the handler, ever.
  void dissolve();

 private:
  struct Tracker;
  using Trackers = std::vector<std::shared_ptr<Tracker>>;
  static ObjectAssociation<Trackers>& associations();
  void detach();

  std::weak_ptr<Tracker> tracker_;
  QPointer<QObject> owner_;
};

// Observations of one notification centre, added while the centre lives and ended together, in the order they were
// added, when the holder goes. The holder does not keep the centre: once it is gone, nothing is added to it and it
// is not touched.
class ListenerHolder {
 public:
  explicit ListenerHolder(const platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter())
      : center_(center.weakReference()) {}
  ~ListenerHolder();
  ListenerHolder(const ListenerHolder&) = delete;
  ListenerHolder& operator=(const ListenerHolder&) = delete;

  void addObserver(std::string name, std::function<void(const platform::Notification&)> observer);

 private:
  platform::NotificationCenter::WeakReference center_;
  std::vector<platform::rx::AnyCancellable> listeners_;
};

// Where the kit's code lives: the folder of the file that holds it (the program itself, or a shared library when the
// kit is built as one), else the application's folder. Found once.
struct BundleMarker {
  static const std::filesystem::path& bundle();
};

// Closures run once, in order, when launching has finished.
class LaunchCompletions {
 public:
  static void add(std::function<void()> completion);
  static void runFinishedLaunchingCompletions();
};

}  // namespace kit
