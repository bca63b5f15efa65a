#pragma once

#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <ranges>
#include <set>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "kit/foundation/is_optional.h"
#include "kit/preferences/json_form.h"
#include "kit/preferences/native_form.h"

namespace kit::Preferences {

// A converter between a value and its stored form: `Value` (its input), `Stored` (a type with a property-list form)
// and
//   static std::optional<Stored> serialize(const std::optional<Value>&);
//   static std::optional<Value> deserialize(const std::optional<Stored>&);
// Both map none to none; deserialize also gives none for a stored form it cannot read.
template <class B>
concept PreferencesBridge = HasNativeForm<typename B::Stored> &&
    requires(const std::optional<typename B::Value>& value, const std::optional<typename B::Stored>& stored) {
  { B::serialize(value) } -> std::same_as<std::optional<typename B::Stored>>;
  { B::deserialize(stored) } -> std::same_as<std::optional<typename B::Value>>;
};

// A bridge that stores the bare JSON text of its value. Shape alone does not tell one (a bridge may store any text),
// so such a bridge says so: `static constexpr bool storesBareJson = true;`.
template <class B>
concept PreferencesCodableBridge = PreferencesBridge<B> && std::same_as<typename B::Stored, std::string> &&
    JsonCodable<typename B::Value> && requires {
  requires B::storesBareJson;
};

// What makes a type storable. A specialisation provides:
//   static constexpr bool storesNatively;  // written as its property-list object, without the bridge
//   using Bridge = ...;                    // a PreferencesBridge to and from the stored form
template <class T, class = void>
struct Serializable;

template <class T>
concept PreferencesSerializable = PreferencesBridge<typename Serializable<T>::Bridge> && requires {
  { Serializable<T>::storesNatively } -> std::convertible_to<bool>;
};

template <class T>
inline constexpr bool storesNatively = Serializable<T>::storesNatively;

// Values that stand for "nothing": a write removes the key instead, and such a default registers nothing.
// Optionals, and types that declare `bool isNil() const`.
template <class T>
bool isNilValue(const T& value) {
  if constexpr (isOptional<T>)
    return !value.has_value();
  else if constexpr (requires {
                       { value.isNil() } -> std::convertible_to<bool>;
                     })
    return value.isNil();
  else
    return false;
}

namespace detail {
// The value as the bridge takes it: an optional's bridge takes the wrapped value.
template <class Bridge, class T>
std::optional<typename Bridge::Value> bridgeInput(const T& value) {
  if constexpr (std::is_same_v<T, typename Bridge::Value>) {
    return value;
  } else if constexpr (isOptional<T>) {
    if (!value) return std::nullopt;
    return bridgeInput<Bridge>(*value);
  } else {
    return std::optional<typename Bridge::Value>(value);
  }
}
}  // namespace detail

// The property-list object a write stores and a registration registers; none when the value has no
// stored form. (A nil optional never gets here: writes turn it into a removal.)
template <PreferencesSerializable T>
std::optional<PlistValue> serializedValue(const T& value) {
  if constexpr (isOptional<T>) {
    if (!value) return std::nullopt;
  }
  if constexpr (storesNatively<T>) {
    if constexpr (isOptional<T>)
      return NativeForm<typename T::value_type>::toPlist(*value);
    else
      return NativeForm<T>::toPlist(value);
  } else {
    using Bridge = typename Serializable<T>::Bridge;
    auto stored = Bridge::serialize(detail::bridgeInput<Bridge>(value));
    if (!stored) return std::nullopt;
    return NativeForm<typename Bridge::Stored>::toPlist(*stored);
  }
}

// A stored object as T: the native cast first (for natively stored types), then the bridge.
template <PreferencesSerializable T>
std::optional<T> toValue(const PlistValue& object) {
  if constexpr (storesNatively<T>) {
    if constexpr (isOptional<T>) {
      if (auto v = NativeForm<typename T::value_type>::fromPlist(object)) return T(std::move(*v));
    } else {
      if (auto v = NativeForm<T>::fromPlist(object)) return v;
    }
  }
  using Bridge = typename Serializable<T>::Bridge;
  auto stored = NativeForm<typename Bridge::Stored>::fromPlist(object);
  if (!stored) return std::nullopt;
  auto value = Bridge::deserialize(std::move(stored));
  if (!value) return std::nullopt;
  return T(std::move(*value));
}

// ---- bridges

// Bare JSON text of the value (the second-chance form of every native scalar, and the form of any
// other type with a JsonCodec).
template <JsonCodable T>
struct TopLevelCodableBridge {
  using Value = T;
  using Stored = std::string;
  static constexpr bool storesBareJson = true;
  static std::optional<Stored> serialize(const std::optional<T>& v) { return v ? bareJson(*v) : std::nullopt; }
  static std::optional<T> deserialize(const std::optional<Stored>& s) { return s ? fromBareJson<T>(*s) : std::nullopt; }
};

// How a raw-representable type gives and takes its raw value. The default fits types with a public
// `rawValue` field that can be built from it; specialise it for others (enumerations).
template <class T>
struct RawRepresentation {
  using RawValue = decltype(T::rawValue);
  static RawValue rawValue(const T& v) { return v.rawValue; }
  static std::optional<T> make(const RawValue& raw) { return T{raw}; }
};

// The JSON form of a raw-representable type coded as its raw value (as an application id or an enumeration is):
//   template <> struct JsonCodec<MyType> : RawValueJsonCodec<MyType> {};
template <class T>
struct RawValueJsonCodec {
  using RawValue = typename RawRepresentation<T>::RawValue;
  static Json encode(const T& v) { return JsonCodec<RawValue>::encode(RawRepresentation<T>::rawValue(v)); }
  static std::optional<T> decode(const Json& j) {
    auto raw = JsonCodec<RawValue>::decode(j);
    if (!raw) return std::nullopt;
    return RawRepresentation<T>::make(*raw);
  }
};

// The raw value itself, stored natively.
template <class T>
struct RawRepresentableBridge {
  using Value = T;
  using Stored = typename RawRepresentation<T>::RawValue;
  static std::optional<Stored> serialize(const std::optional<T>& v) {
    if (!v) return std::nullopt;
    return RawRepresentation<T>::rawValue(*v);
  }
  static std::optional<T> deserialize(const std::optional<Stored>& s) {
    if (!s) return std::nullopt;
    return RawRepresentation<T>::make(*s);
  }
};

// Bare JSON of the whole value, for raw-representable types that also have a JSON form.
template <JsonCodable T>
struct RawRepresentableCodableBridge : TopLevelCodableBridge<T> {};

// An optional goes through the bridge of what it wraps.
template <PreferencesSerializable T>
struct OptionalBridge {
  using Value = T;
  using Stored = typename Serializable<T>::Bridge::Stored;
  static std::optional<Stored> serialize(const std::optional<T>& v) { return Serializable<T>::Bridge::serialize(v); }
  static std::optional<T> deserialize(const std::optional<Stored>& s) {
    auto v = Serializable<T>::Bridge::deserialize(s);
    if (!v) return std::nullopt;
    return T(std::move(*v));
  }
};

namespace detail {
template <class T>
using ElementBridge = typename Serializable<T>::Bridge;
template <class T>
using ElementStored = typename ElementBridge<T>::Stored;

template <class T>
std::optional<ElementStored<T>> serializeElement(const T& v) {
  return ElementBridge<T>::serialize(bridgeInput<ElementBridge<T>>(v));
}
template <class T>
std::optional<T> deserializeElement(const ElementStored<T>& s) {
  auto v = ElementBridge<T>::deserialize(std::optional<ElementStored<T>>(s));
  if (!v) return std::nullopt;
  return T(std::move(*v));
}
}  // namespace detail

// Element by element through the element's bridge; elements that do not convert are dropped.
template <PreferencesSerializable T>
struct ArrayBridge {
  using Value = std::vector<T>;
  using Stored = std::vector<detail::ElementStored<T>>;
  static std::optional<Stored> serialize(const std::optional<Value>& v) {
    if (!v) return std::nullopt;
    Stored result;
    for (const auto& item : *v)
      if (auto s = detail::serializeElement(item)) result.push_back(std::move(*s));
    return result;
  }
  static std::optional<Value> deserialize(const std::optional<Stored>& s) {
    if (!s) return std::nullopt;
    Value result;
    for (const auto& item : *s)
      if (auto v = detail::deserializeElement<T>(item)) result.push_back(std::move(*v));
    return result;
  }
};

// Keyed by the keys' text (KeyText); an entry whose text is no key of the type is dropped.
template <DictionaryKey K, PreferencesSerializable T>
struct DictionaryBridge {
  using Value = std::map<K, T>;
  using Stored = std::map<std::string, detail::ElementStored<T>>;
  static std::optional<Stored> serialize(const std::optional<Value>& v) {
    if (!v) return std::nullopt;
    Stored result;
    for (const auto& [key, item] : *v)
      if (auto s = detail::serializeElement(item)) result.emplace(KeyText<K>::text(key), std::move(*s));
    return result;
  }
  static std::optional<Value> deserialize(const std::optional<Stored>& s) {
    if (!s) return std::nullopt;
    Value result;
    for (const auto& [text, item] : *s) {
      auto key = KeyText<K>::make(text);
      if (!key) continue;
      if (auto v = detail::deserializeElement<T>(item)) result.emplace(std::move(*key), std::move(*v));
    }
    return result;
  }
};

namespace detail {
// The stored form of the set, set-algebra and collection bridges: an array of the elements, in the order given,
// each stored natively when its type stores natively, else through its bridge. Elements that do not convert are
// dropped; a stored object that is not such an array reads as none.
template <PreferencesSerializable T>
struct ElementArray {
  static PlistValue serialize(const std::vector<T>& elements) {
    if constexpr (storesNatively<T>) {
      return NativeForm<std::vector<T>>::toPlist(elements);
    } else {
      std::vector<ElementStored<T>> items;
      for (const auto& item : elements)
        if (auto s = serializeElement(item)) items.push_back(std::move(*s));
      return NativeForm<decltype(items)>::toPlist(items);
    }
  }
  static std::optional<std::vector<T>> deserialize(const PlistValue& stored) {
    if constexpr (storesNatively<T>) {
      return NativeForm<std::vector<T>>::fromPlist(stored);
    } else {
      auto items = NativeForm<std::vector<ElementStored<T>>>::fromPlist(stored);
      if (!items) return std::nullopt;
      std::vector<T> result;
      for (const auto& item : *items)
        if (auto v = deserializeElement<T>(item)) result.push_back(std::move(*v));
      return result;
    }
  }
};

// A bridge storing a value as the array of its elements, given the two conversions of the value.
template <class V, class T, class Conversions>
struct ElementArrayBridge {
  using Value = V;
  using Stored = PlistValue;
  static std::optional<Stored> serialize(const std::optional<Value>& v) {
    if (!v) return std::nullopt;
    return ElementArray<T>::serialize(Conversions::elements(*v));
  }
  static std::optional<Value> deserialize(const std::optional<Stored>& s) {
    if (!s) return std::nullopt;
    auto elements = ElementArray<T>::deserialize(*s);
    if (!elements) return std::nullopt;
    return Conversions::make(std::move(*elements));
  }
};

template <class Set>
struct SetConversions {
  using Element = typename Set::value_type;
  static std::vector<Element> elements(const Set& set) { return std::vector<Element>(set.begin(), set.end()); }
  static Set make(std::vector<Element> elements) { return Set(elements.begin(), elements.end()); }
};

template <class T>
struct CollectionConversions {
  using Element = typename T::value_type;
  static std::vector<Element> elements(const T& collection) {
    return std::vector<Element>(collection.begin(), collection.end());
  }
  static T make(std::vector<Element> elements) { return T(std::move(elements)); }
};
template <class T>
struct SetAlgebraConversions {
  using Element = typename T::Element;
  static std::vector<Element> elements(const T& set) { return set.elementsArray(); }
  static T make(std::vector<Element> elements) { return T(std::move(elements)); }
};
}  // namespace detail

// A set as an array of its elements, in the set's order; duplicates in a stored array collapse. The set is a std::set
// or, for elements that are hashable but not ordered, a std::unordered_set.
template <PreferencesSerializable T, class Set = std::set<T>>
struct SetBridge : detail::ElementArrayBridge<Set, T, detail::SetConversions<Set>> {};

namespace detail {
// A collection of storable elements (`value_type`) that it iterates in order and is built back from a std::vector of.
template <class T>
concept StorableCollection = std::ranges::input_range<const T> && PreferencesSerializable<typename T::value_type> &&
    std::constructible_from<T, std::vector<typename T::value_type>>;
// A set-like type whose storable elements (`Element`) `elementsArray()` gives and which is built back from them.
template <class T>
concept StorableSetAlgebra = PreferencesSerializable<typename T::Element> &&
    std::constructible_from<T, std::vector<typename T::Element>> && requires(const T& value) {
  { value.elementsArray() } -> std::same_as<std::vector<typename T::Element>>;
};
}  // namespace detail

// A collection of the program's own, stored as the array of its elements in collection order. It iterates its
// elements (`value_type`) and is built from a std::vector of them. Declare
//   template <> struct Serializable<MyList> : StoredAsCollection<MyList> {};
template <detail::StorableCollection T>
struct CollectionBridge : detail::ElementArrayBridge<T, typename T::value_type, detail::CollectionConversions<T>> {};

// A set-like type of the program's own (a set of options), stored as the array `elementsArray()` gives and built
// back from the elements (`Element`) with its constructor from a std::vector. Declare
//   template <> struct Serializable<MyOptions> : StoredAsSetAlgebra<MyOptions> {};
template <detail::StorableSetAlgebra T>
struct SetAlgebraBridge : detail::ElementArrayBridge<T, typename T::Element, detail::SetAlgebraConversions<T>> {};

// The types declared stored as the array of their elements, through the two bridges above (a std::vector or std::set
// is stored so too, but by bridges of its own).
template <class T>
concept PreferencesCollectionSerializable =
    PreferencesSerializable<T> && std::same_as<typename Serializable<T>::Bridge, CollectionBridge<T>>;
template <class T>
concept PreferencesSetAlgebraSerializable =
    PreferencesSerializable<T> && std::same_as<typename Serializable<T>::Bridge, SetAlgebraBridge<T>>;

// ---- the natively stored types

template <class T>
concept NativeScalar = std::same_as<T, bool> || std::integral<T> || std::floating_point<T> ||
    std::same_as<T, std::string> || std::same_as<T, Date> || std::same_as<T, Data>;

template <NativeScalar T>
struct Serializable<T> {
  static constexpr bool storesNatively = true;
  using Bridge = TopLevelCodableBridge<T>;
};

template <PreferencesSerializable T>
struct Serializable<std::optional<T>> {
  static constexpr bool storesNatively = Serializable<T>::storesNatively;
  using Bridge = OptionalBridge<T>;
};

template <PreferencesSerializable T>
struct Serializable<std::vector<T>> {
  static constexpr bool storesNatively = Serializable<T>::storesNatively;
  using Bridge = ArrayBridge<T>;
};

template <DictionaryKey K, PreferencesSerializable T>
struct Serializable<std::map<K, T>> {
  static constexpr bool storesNatively = std::is_same_v<K, std::string> && Serializable<T>::storesNatively;
  using Bridge = DictionaryBridge<K, T>;
};

template <PreferencesSerializable T, class Compare>
struct Serializable<std::set<T, Compare>> {
  static constexpr bool storesNatively = false;
  using Bridge = SetBridge<T, std::set<T, Compare>>;
};

template <PreferencesSerializable T, class Hash, class Equal>
struct Serializable<std::unordered_set<T, Hash, Equal>> {
  static constexpr bool storesNatively = false;
  using Bridge = SetBridge<T, std::unordered_set<T, Hash, Equal>>;
};

// A raw-representable type stores its raw value: declare
//   template <> struct Serializable<MyType> : PreferRawRepresentable<MyType> {};
template <class T>
struct PreferRawRepresentable {
  static constexpr bool storesNatively = false;
  using Bridge = RawRepresentableBridge<T>;
};

template <detail::StorableCollection T>
struct StoredAsCollection {
  static constexpr bool storesNatively = false;
  using Bridge = CollectionBridge<T>;
};

template <detail::StorableSetAlgebra T>
struct StoredAsSetAlgebra {
  static constexpr bool storesNatively = false;
  using Bridge = SetAlgebraBridge<T>;
};

// Any other type with a JsonCodec stores bare JSON: declare
//   template <> struct Serializable<MyType> : StoredAsJson<MyType> {};
template <class T>
struct StoredAsJson {
  static constexpr bool storesNatively = false;
  using Bridge = TopLevelCodableBridge<T>;
};

}  // namespace kit::Preferences
