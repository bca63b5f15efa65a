#include "kit/preferences/any_serializable.h"

#include <functional>

namespace kit::Preferences {
namespace {

// A number of any kind as a double, for comparing across kinds; none for other values.
std::optional<double> numeric(const PlistValue& v) {
  if (auto b = v.get<bool>()) return *b ? 1.0 : 0.0;
  if (auto i = v.get<int64_t>()) return static_cast<double>(*i);
  if (auto d = v.get<double>()) return *d;
  return std::nullopt;
}

bool equal(const PlistValue& a, const PlistValue& b) {
  if (auto x = numeric(a)) {
    auto y = numeric(b);
    if (!y) return false;
    auto i = a.get<int64_t>(), j = b.get<int64_t>();
    return i && j ? *i == *j : *x == *y;
  }
  if (auto x = a.get<PlistArray>()) {
    auto y = b.get<PlistArray>();
    if (!y || x->size() != y->size()) return false;
    for (std::size_t n = 0; n < x->size(); ++n)
      if (!equal((*x)[n], (*y)[n])) return false;
    return true;
  }
  if (auto x = a.get<PlistDict>()) {
    auto y = b.get<PlistDict>();
    if (!y || x->size() != y->size()) return false;
    for (const auto& [key, item] : *x) {
      auto other = y->find(key);
      if (other == y->end() || !equal(item, other->second)) return false;
    }
    return true;
  }
  return a == b;
}

std::size_t hashOf(const PlistValue& v) {
  if (auto n = numeric(v)) return std::hash<double>()(*n);
  if (auto s = v.get<std::string>()) return std::hash<std::string>()(*s);
  if (auto d = v.get<Data>()) return std::hash<std::string>()(d->bytes) ^ 0x5bd1e995;
  if (auto t = v.get<Date>()) return std::hash<int64_t>()(t->time_since_epoch().count());
  if (auto a = v.get<PlistArray>()) {
    std::size_t h = a->size();
    for (const auto& item : *a) h = h * 31 + hashOf(item);
    return h;
  }
  std::size_t h = 0;  // dictionaries: independent of order, as their entries are
  for (const auto& [key, item] : *v.get<PlistDict>()) h += std::hash<std::string>()(key) ^ (hashOf(item) * 31);
  return h;
}

}  // namespace

bool operator==(const AnySerializable& a, const AnySerializable& b) {
  if (a.isNil() || b.isNil()) return a.isNil() && b.isNil();
  return equal(*a.value(), *b.value());
}

std::size_t AnySerializable::hash() const { return value_ ? hashOf(*value_) : 0; }

}  // namespace kit::Preferences
