#include "kit/preferences/observation.h"

namespace kit::Preferences {
namespace {
thread_local bool updatingValuesFlag = false;
}

Observation::Observation() = default;
Observation::~Observation() = default;

Observation& Observation::tieToLifetime(QObject* owner) {
  std::weak_ptr<Observation> weak = weak_from_this();
  lifetimeAssociation_ = std::make_unique<kit::LifetimeAssociation>(shared_from_this(), owner, [weak] {
    if (auto self = weak.lock()) self->invalidate();
  });
  return *this;
}

void Observation::removeLifetimeTie() {
  if (lifetimeAssociation_) lifetimeAssociation_->dissolve();
}

void Observation::endLifetimeTie() {
  if (auto association = std::move(lifetimeAssociation_)) association->dissolve();
}

UserDefaultsKeyObservation::UserDefaultsKeyObservation(const std::shared_ptr<UserDefaults>& suite, std::string key,
                                                       std::function<void(const BaseChange&)> callback)
    : suite_(suite),
      key_(std::move(key)),
      callback_(std::make_shared<const std::function<void(const BaseChange&)>>(std::move(callback))) {}

void UserDefaultsKeyObservation::start(const ObservationOptions& options) {
  auto suite = suite_.lock();
  if (!suite) return;
  UserDefaults::ObserveOptions kvo;
  kvo.initial = options.contains(ObservationOption::initial);
  kvo.prior = !kvo.initial && options.contains(ObservationOption::prior);
  // The callback is shared with the suite's registration, so a delivery running on another thread while
  // this observation is destroyed never touches freed memory.
  token_ = suite->observe(key_, kvo, [callback = callback_](const UserDefaults::Change& change) {
    if (updatingValuesFlag) return;
    (*callback)({.isPrior = change.isPrior, .newValue = change.newValue, .oldValue = change.oldValue});
  });
}

void UserDefaultsKeyObservation::invalidate() {
  token_.cancel();
  suite_.reset();
  endLifetimeTie();
}

CompositeUserDefaultsKeyObservation::CompositeUserDefaultsKeyObservation(
    const std::vector<const BaseKey*>& keys, std::function<void(const BaseChange&)> callback) {
  auto shared = std::make_shared<std::function<void(const BaseChange&)>>(std::move(callback));
  for (const auto* key : keys)
    parts_.push_back(std::make_unique<UserDefaultsKeyObservation>(key->sharedSuite(), key->name(),
                                                                  [shared](const BaseChange& c) { (*shared)(c); }));
}

void CompositeUserDefaultsKeyObservation::start(const ObservationOptions& options) {
  for (auto& part : parts_) part->start(options);
}

void CompositeUserDefaultsKeyObservation::invalidate() {
  for (auto& part : parts_) part->invalidate();
  endLifetimeTie();
}

void suppressingObservationCallbacks(const std::function<void()>& body) {
  updatingValuesFlag = true;
  struct Reset {
    ~Reset() { updatingValuesFlag = false; }
  } reset;
  body();
}

std::shared_ptr<Observation> observe(const std::vector<const BaseKey*>& keys, const ObservationOptions& options,
                                     std::function<void(const BaseChange&)> handler) {
  auto observation = std::make_shared<CompositeUserDefaultsKeyObservation>(keys, std::move(handler));
  observation->start(options);
  return observation;
}

}  // namespace kit::Preferences
