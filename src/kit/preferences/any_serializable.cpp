#include "kit/preferences/any_serializable.h"

#include <functional>
#include <set>
#include <string_view>
#include <type_traits>
#include <variant>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/hashing.h"
#include "platform/core/utf8_scalar.h"

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

AnySerializable::AnySerializable(std::u8string_view text)
    : value_(platform::sanitizedUtf8({reinterpret_cast<const char*>(text.data()), text.size()})) {}

AnySerializable::AnySerializable(std::u16string_view text) : value_(platform::toUtf8(text)) {}

AnySerializable::AnySerializable(std::u32string_view text) : value_(platform::toUtf8(text)) {}

// Wide characters are UTF-32 on Linux.
static_assert(sizeof(wchar_t) == sizeof(char32_t));
AnySerializable::AnySerializable(std::wstring_view text)
    : value_(platform::toUtf8(std::u32string(text.begin(), text.end()))) {}

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
