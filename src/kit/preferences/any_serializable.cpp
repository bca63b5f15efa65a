#include "kit/preferences/any_serializable.h"

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string_view>
#include <type_traits>
#include <variant>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/hashing.h"
#include "platform/core/utf8_scalar.h"

namespace kit::Preferences {
namespace {

bool isNumber(const PlistValue& v) { return v.is<bool>() || v.is<int64_t>() || v.is<uint64_t>() || v.is<double>(); }

// An integer as T when T holds it exactly.
template <class T, std::integral I>
std::optional<T> exactly(I i) {
  if constexpr (std::is_same_v<T, bool>) {
    if (i != 0 && i != 1) return std::nullopt;
    return i == 1;
  } else if constexpr (std::is_integral_v<T>) {
    if (!std::in_range<T>(i)) return std::nullopt;
    return static_cast<T>(i);
  } else {
    const T real = static_cast<T>(i);
    if (!holdsWholeReal<I>(static_cast<double>(real)) || static_cast<I>(real) != i) return std::nullopt;
    return real;
  }
}

// A real as T when T holds it exactly (NaN as a real of any width).
template <class T>
std::optional<T> exactly(double d) {
  if constexpr (std::is_same_v<T, bool>) {
    if (d != 0 && d != 1) return std::nullopt;
    return d == 1;
  } else if constexpr (std::is_integral_v<T>) {
    if (!holdsWholeReal<T>(d)) return std::nullopt;
    return static_cast<T>(d);
  } else {
    if (std::isnan(d)) return static_cast<T>(d);
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<T>::max()) return std::nullopt;
    const T real = static_cast<T>(d);
    if (static_cast<double>(real) != d) return std::nullopt;
    return real;
  }
}

template <class T>
std::optional<T> exactly(const PlistValue& v) {
  if (auto b = v.get<bool>()) return static_cast<T>(*b);
  if (auto i = v.get<int64_t>()) return exactly<T>(*i);
  if (auto u = v.get<uint64_t>()) return exactly<T>(*u);
  if (auto d = v.get<double>()) return exactly<T>(*d);
  return std::nullopt;
}

// Two numbers are compared as the first of these kinds that both are exactly: a Bool, the integers from the narrowest
// up, then the reals. So 1, 1.0 and true are equal, and 2^53 + 1 differs from the real 2^53 that it rounds to.
template <class... Kinds>
bool equalAsFirstCommonKind(const PlistValue& a, const PlistValue& b) {
  std::optional<bool> decided;
  auto tryKind = [&]<class T>() {
    if (decided) return;
    auto x = exactly<T>(a), y = exactly<T>(b);
    if (x && y) decided = *x == *y;
  };
  (tryKind.template operator()<Kinds>(), ...);
  return decided.value_or(false);
}

bool equal(const PlistValue& a, const PlistValue& b) {
  if (isNumber(a) || isNumber(b)) {
    return isNumber(a) && isNumber(b) &&
           equalAsFirstCommonKind<bool, uint8_t, int8_t, uint16_t, int16_t, uint32_t, int32_t, uint64_t, int64_t, float,
                                  double>(a, b);
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
  return std::visit(
      [](const auto& x) -> std::size_t {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_arithmetic_v<T>) {
          return std::hash<double>()(static_cast<double>(x));  // numbers that compare equal across kinds
        } else if constexpr (std::is_same_v<T, std::string>) {
          return std::hash<std::string>()(x);
        } else if constexpr (std::is_same_v<T, Data>) {
          return std::hash<std::string>()(x.bytes) ^ 0x5bd1e995;
        } else if constexpr (std::is_same_v<T, Date>) {
          return std::hash<int64_t>()(x.time_since_epoch().count());
        } else if constexpr (std::is_same_v<T, PlistArray>) {
          std::size_t seed = x.size();
          for (const auto& item : x) hashCombine(seed, hashOf(item));
          return seed;
        } else {
          static_assert(std::is_same_v<T, PlistDict>);
          std::size_t sum = 0;  // independent of order, as the entries are
          for (const auto& [key, item] : x) sum += std::hash<std::string>()(key) ^ (hashOf(item) * 31);
          return sum;
        }
      },
      v.storage());
}

}  // namespace

AnySerializable::AnySerializable(const std::vector<AnySerializable>& elements) {
  PlistArray array;
  array.reserve(elements.size());
  for (const auto& element : elements)
    if (element.value_) array.push_back(*element.value_);
  value_ = std::move(array);
}

AnySerializable::AnySerializable(std::u8string_view text) : value_(platform::toUtf8(text)) {}

AnySerializable::AnySerializable(std::u16string_view text) : value_(platform::toUtf8(text)) {}

AnySerializable::AnySerializable(std::u32string_view text) : value_(platform::toUtf8(text)) {}

AnySerializable::AnySerializable(std::wstring_view text) : value_(platform::toUtf8(text)) {}

AnySerializable::AnySerializable(std::initializer_list<std::pair<const std::string, AnySerializable>> entries) {
  std::set<std::string_view> keys;
  PlistDict dict;
  for (const auto& [key, entry] : entries) {
    if (!keys.insert(key).second) fatalError("Dictionary literal contains duplicate keys");
    // A nil value stands for no entry, as storing nil removes a key.
    if (entry.value_) dict.emplace(key, *entry.value_);
  }
  value_ = std::move(dict);
}

bool operator==(const AnySerializable& a, const AnySerializable& b) {
  if (a.isNil() || b.isNil()) return a.isNil() && b.isNil();
  return equal(*a.value(), *b.value());
}

std::size_t AnySerializable::hash() const { return value_ ? hashOf(*value_) : 0; }

}  // namespace kit::Preferences
