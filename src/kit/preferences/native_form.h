#pragma once

#include <chrono>
#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "kit/foundation/whole_real.h"
#include "platform/prefs/plist_value.h"

namespace kit::Preferences {

using platform::PlistArray;
using platform::PlistDict;
using platform::PlistValue;
using Date = platform::PlistDate;
using Data = platform::PlistData;

// The property-list object a natively stored type becomes, and the cast back. The cast follows the
// platform's number bridging: 0 and 1 read as Bool, a Bool as 0 or 1, an integral real as an integer, an
// integer as a real; anything else of another kind gives none.
template <class T, class = void>
struct NativeForm;

template <>
struct NativeForm<bool> {
  static PlistValue toPlist(bool v) { return v; }
  static std::optional<bool> fromPlist(const PlistValue& p) {
    if (auto b = p.get<bool>()) return *b;
    if (auto i = p.get<int64_t>(); i && (*i == 0 || *i == 1)) return *i == 1;
    if (auto d = p.get<double>(); d && (*d == 0 || *d == 1)) return *d == 1;
    return std::nullopt;
  }
};

template <std::integral T>
requires(!std::same_as<T, bool>) struct NativeForm<T> {
  static PlistValue toPlist(T v) {
    if constexpr (std::is_unsigned_v<T>)
      return static_cast<uint64_t>(v);
    else
      return static_cast<int64_t>(v);
  }
  static std::optional<T> fromPlist(const PlistValue& p) {
    if (auto i = p.get<int64_t>()) {
      if (!std::in_range<T>(*i)) return std::nullopt;
      return static_cast<T>(*i);
    }
    if (auto u = p.get<uint64_t>()) {
      if (!std::in_range<T>(*u)) return std::nullopt;
      return static_cast<T>(*u);
    }
    if (auto b = p.get<bool>()) return static_cast<T>(*b ? 1 : 0);
    if (auto d = p.get<double>()) {
      if (!holdsWholeReal<T>(*d)) return std::nullopt;
      return static_cast<T>(*d);
    }
    return std::nullopt;
  }
};

template <std::floating_point T>
struct NativeForm<T> {
  static PlistValue toPlist(T v) { return static_cast<double>(v); }
  static std::optional<T> fromPlist(const PlistValue& p) {
    if (auto d = p.get<double>()) return static_cast<T>(*d);
    if (auto i = p.get<int64_t>()) return static_cast<T>(*i);
    if (auto u = p.get<uint64_t>()) return static_cast<T>(*u);
    return std::nullopt;
  }
};

template <>
struct NativeForm<std::string> {
  static PlistValue toPlist(const std::string& v) { return v; }
  static std::optional<std::string> fromPlist(const PlistValue& p) {
    if (auto s = p.get<std::string>()) return *s;
    return std::nullopt;
  }
};

template <>
struct NativeForm<Date> {
  static PlistValue toPlist(Date v) { return v; }
  static std::optional<Date> fromPlist(const PlistValue& p) {
    if (auto d = p.get<Date>()) return *d;
    return std::nullopt;
  }
};

template <>
struct NativeForm<Data> {
  static PlistValue toPlist(const Data& v) { return v; }
  static std::optional<Data> fromPlist(const PlistValue& p) {
    if (auto d = p.get<Data>()) return *d;
    return std::nullopt;
  }
};

// Any property-list object, unchanged.
template <>
struct NativeForm<PlistValue> {
  static PlistValue toPlist(const PlistValue& v) { return v; }
  static std::optional<PlistValue> fromPlist(const PlistValue& p) { return p; }
};

template <class T>
concept HasNativeForm = requires(const T& v, const PlistValue& p) {
  { NativeForm<T>::toPlist(v) } -> std::same_as<PlistValue>;
  { NativeForm<T>::fromPlist(p) } -> std::same_as<std::optional<T>>;
};

// An array casts only when every element does.
template <HasNativeForm T>
struct NativeForm<std::vector<T>> {
  static PlistValue toPlist(const std::vector<T>& v) {
    PlistArray array;
    array.reserve(v.size());
    for (const auto& item : v) array.push_back(NativeForm<T>::toPlist(item));
    return array;
  }
  static std::optional<std::vector<T>> fromPlist(const PlistValue& p) {
    auto array = p.get<PlistArray>();
    if (!array) return std::nullopt;
    std::vector<T> result;
    result.reserve(array->size());
    for (const auto& item : *array) {
      auto v = NativeForm<T>::fromPlist(item);
      if (!v) return std::nullopt;
      result.push_back(std::move(*v));
    }
    return result;
  }
};

template <HasNativeForm T, class Compare>
struct NativeForm<std::map<std::string, T, Compare>> {
  static PlistValue toPlist(const std::map<std::string, T, Compare>& v) {
    PlistDict dict;
    for (const auto& [key, item] : v) dict.emplace(key, NativeForm<T>::toPlist(item));
    return dict;
  }
  static std::optional<std::map<std::string, T, Compare>> fromPlist(const PlistValue& p) {
    auto dict = p.get<PlistDict>();
    if (!dict) return std::nullopt;
    std::map<std::string, T, Compare> result;
    for (const auto& [key, item] : *dict) {
      auto v = NativeForm<T>::fromPlist(item);
      if (!v) return std::nullopt;
      result.emplace(key, std::move(*v));
    }
    return result;
  }
};

// The form in which an earlier version of the store wrote a natively stored type, as JSON text, and the way back
// to the native value. A type's own form is itself; specialise it for a native type whose earlier form differed.
// None from toNative: a value the native type does not accept (a raw value it has no case for).
template <class T, class = void>
struct CodableForm {
  using Type = T;
  static std::optional<T> toNative(const T& value) { return value; }
};

// Containers convert element by element; one element that does not convert leaves the whole value unconverted.
template <class T>
struct CodableForm<std::vector<T>> {
  using Type = std::vector<typename CodableForm<T>::Type>;
  static std::optional<std::vector<T>> toNative(const Type& form) {
    std::vector<T> result;
    result.reserve(form.size());
    for (const auto& item : form) {
      auto v = CodableForm<T>::toNative(item);
      if (!v) return std::nullopt;
      result.push_back(std::move(*v));
    }
    return result;
  }
};

template <class K, class T, class Compare>
struct CodableForm<std::map<K, T, Compare>> {
  using Type = std::map<K, typename CodableForm<T>::Type>;
  static std::optional<std::map<K, T, Compare>> toNative(const Type& form) {
    std::map<K, T, Compare> result;
    for (const auto& [key, item] : form) {
      auto v = CodableForm<T>::toNative(item);
      if (!v) return std::nullopt;
      result.emplace(key, std::move(*v));
    }
    return result;
  }
};

// A set's form is the set of its elements' forms; elements whose forms differ but convert alike become one.
template <class Set, class FormSet>
struct SetForm {
  using Type = FormSet;
  static std::optional<Set> toNative(const Type& form) {
    Set result;
    for (const auto& item : form) {
      auto v = CodableForm<typename Set::value_type>::toNative(item);
      if (!v) return std::nullopt;
      result.insert(std::move(*v));
    }
    return result;
  }
};

template <class T, class Compare>
struct CodableForm<std::set<T, Compare>> : SetForm<std::set<T, Compare>, std::set<typename CodableForm<T>::Type>> {};

template <class T, class Hash, class Equal>
struct CodableForm<std::unordered_set<T, Hash, Equal>>
    : SetForm<std::unordered_set<T, Hash, Equal>, std::unordered_set<typename CodableForm<T>::Type>> {};

template <class T>
struct CodableForm<std::optional<T>> {
  using Type = std::optional<typename CodableForm<T>::Type>;
  static std::optional<std::optional<T>> toNative(const Type& form) {
    if (!form) return std::optional<T>();
    auto v = CodableForm<T>::toNative(*form);
    if (!v) return std::nullopt;
    return std::optional<T>(std::move(*v));
  }
};

}  // namespace kit::Preferences
