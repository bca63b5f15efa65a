#pragma once

#include <any>
#include <concepts>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "kit/foundation/hashing.h"
#include "kit/foundation/json_coding.h"
#include "kit/foundation/text_helpers.h"
#include "platform/core/decimal_text.h"

namespace kit {

// Values that name their own identity through `id()`, of a hashable type.
template <class T>
concept Identifiable = requires(const T& value) {
  requires Hashable<std::remove_cvref_t<decltype(value.id())>>;
};

// Wrappers that take a record member out of equality, hashing or coding. Every one of the four equality wrappers
// compares equal to any other and feeds nothing to a hasher, so unordered containers stay consistent.
template <class Value, bool isMutable>
class IgnoredInEquality {
 public:
  IgnoredInEquality(Value value) : wrappedValue_(std::move(value)) {}
  const Value& wrappedValue() const { return wrappedValue_; }
  void setWrappedValue(Value value) requires isMutable { wrappedValue_ = std::move(value); }
  friend bool operator==(const IgnoredInEquality&, const IgnoredInEquality&) { return true; }

 private:
  Value wrappedValue_;
};

template <class Value>
using IgnoreEquatable = IgnoredInEquality<Value, false>;
template <class Value>
using IgnoreEquatableMutable = IgnoredInEquality<Value, true>;
template <class Value>
using IgnoreHashable = IgnoredInEquality<Value, false>;
template <class Value>
using IgnoreHashableMutable = IgnoredInEquality<Value, true>;

// {"wrappedValue": value}
template <class Value, bool isMutable>
void to_json(Json& json, const IgnoredInEquality<Value, isMutable>& wrapper) {
  json = Json::object();
  encodeMember(json, "wrappedValue", wrapper.wrappedValue());
}

template <class Value, bool isMutable>
struct JsonDecoding<IgnoredInEquality<Value, isMutable>> {
  static IgnoredInEquality<Value, isMutable> decode(const Json& json, const CodingPath& path) {
    return decodeRequiredMember<Value>(keyedContainer(json, path, "IgnoreEquatable"), "wrappedValue", path);
  }
};

// A member that is never coded: encoding writes nothing and decoding always gives an absent value.
template <class Value>
class IgnoreCodable {
 public:
  IgnoreCodable() = default;
  IgnoreCodable(std::optional<Value> value) : wrappedValue(std::move(value)) {}
  std::optional<Value> wrappedValue;
  friend bool operator==(const IgnoreCodable&, const IgnoreCodable&) = default;
};

template <class Value>
inline constexpr bool encodesNothing<IgnoreCodable<Value>> = true;

// Alone (not as a member) there is nothing to leave out: the value is null.
template <class Value>
void to_json(Json& json, const IgnoreCodable<Value>&) {
  json = Json();
}

template <class Value>
struct JsonDecoding<IgnoreCodable<Value>> {
  static constexpr bool decodesWhenMissing = true;
  static IgnoreCodable<Value> decode(const Json&, const CodingPath&) { return {}; }
};

// A value with an identity of its own, fixed when it is made. Equal when the ids and then the values are equal.
template <Hashable ID, class Value>
class Identified {
  ID id_;  // made first: the constructors derive it from the value before the value is moved in

 public:
  Identified(ID identifier, Value v) : id_(std::move(identifier)), value(std::move(v)) {}
  template <std::invocable<const Value&> MakeID>
  Identified(Value v, MakeID makeID) : id_(makeID(v)), value(std::move(v)) {}
  template <class Member, class V = Value>
  requires std::is_class_v<V> Identified(Value v, Member V::*idMember) : id_(v.*idMember), value(std::move(v)) {}

  const ID& id() const { return id_; }
  Value value;

  const Value* operator->() const { return &value; }
  Value* operator->() { return &value; }

  friend bool operator==(const Identified& a, const Identified& b) { return a.id_ == b.id_ && a.value == b.value; }
};

template <class ID, class Value>
void to_json(Json& json, const Identified<ID, Value>& identified) {
  json = Json::object();
  encodeMember(json, "id", identified.id());
  encodeMember(json, "value", identified.value);
}

template <class ID, class Value>
struct JsonDecoding<Identified<ID, Value>> {
  static Identified<ID, Value> decode(const Json& json, const CodingPath& path) {
    const Json& object = keyedContainer(json, path, "Identified");
    ID id = decodeRequiredMember<ID>(object, "id", path);
    Value value = decodeRequiredMember<Value>(object, "value", path);
    return {std::move(id), std::move(value)};
  }
};

// The literal kinds that AnyEquatable takes as a Bool, an Int, a Double or a text (see there).
template <class T>
concept IntegerLiteralType = std::same_as<T, int> || std::same_as<T, long> || std::same_as<T, long long> ||
    std::same_as<T, unsigned> || std::same_as<T, unsigned long> || std::same_as<T, unsigned long long>;
template <class T>
inline constexpr bool isTextView = false;
template <CharacterType C>
inline constexpr bool isTextView<std::basic_string_view<C>> = true;
template <class T>
concept LiteralType = std::same_as<T, bool> || IntegerLiteralType<T> || std::floating_point<T> || CharacterType<T> ||
    std::is_pointer_v<T> || isTextView<T>;

// An equatable value of any type; equal to another when either side recognises the other's value as its own.
class AnyEquatable {
 public:
  template <class T>
  requires std::equality_comparable<T> &&(!LiteralType<T>)explicit AnyEquatable(T value)
      : value_(std::move(value)), isEqual_(makeIsEqual<T>()) {}
  // Literals: booleans as bool; integers of every width as int64_t (unsigned ones beyond its range keep their type
  // rather than wrap); floating-point numbers as double, a float as the number it was written as (0.1f is 0.1);
  // texts and characters of every encoding as one std::string in UTF-8 ("é", u8"é", U"é", U'é' are equal). Other
  // pointers are no literals.
  template <std::same_as<bool> B>
  AnyEquatable(B value) : AnyEquatable(std::in_place, bool(value)) {}
  template <IntegerLiteralType I>
  AnyEquatable(I value) : AnyEquatable(integer(value)) {}
  template <std::floating_point F>
  AnyEquatable(F value) : AnyEquatable(std::in_place, floating(value)) {}
  template <CharacterType C>
  AnyEquatable(std::basic_string_view<C> text) : AnyEquatable(std::in_place, utf8Text(text)) {}
  template <CharacterType C>
  AnyEquatable(const C* text) : AnyEquatable(std::basic_string_view<C>(text)) {}
  template <CharacterType C>
  AnyEquatable(C character) : AnyEquatable(std::basic_string_view<C>(&character, 1)) {}
  template <class T>
  AnyEquatable(const T*) = delete;

  const std::any& value() const { return value_; }
  friend bool operator==(const AnyEquatable& a, const AnyEquatable& b) {
    return a.isEqual_(b.value_) || b.isEqual_(a.value_);
  }

 private:
  template <class T>
  AnyEquatable(std::in_place_t, T value) : value_(std::move(value)), isEqual_(makeIsEqual<T>()) {}

  template <IntegerLiteralType I>
  static AnyEquatable integer(I value) {
    if constexpr (std::is_unsigned_v<I>) {
      if (!std::in_range<int64_t>(value)) return AnyEquatable(std::in_place, static_cast<unsigned long long>(value));
    }
    return AnyEquatable(std::in_place, static_cast<int64_t>(value));
  }
  template <std::floating_point F>
  static double floating(F value) {
    if constexpr (std::same_as<F, float>)
      return platform::widenedAsWritten(value);
    else
      return static_cast<double>(value);
  }

  template <class T>
  std::function<bool(const std::any&)> makeIsEqual() const {
    return [stored = std::any_cast<T>(value_)](const std::any& other) {
      auto candidate = std::any_cast<T>(&other);
      return candidate && *candidate == stored;
    };
  }

  std::any value_;
  std::function<bool(const std::any&)> isEqual_;
};

// A source of a default value: `using Value = ...;` and `static Value defaultValue();`.
template <class Source>
concept DecodableDefaultSource = requires {
  typename Source::Value;
  { Source::defaultValue() } -> std::convertible_to<typename Source::Value>;
};

// A member that starts from its source's default value. Codes as the bare value; decoding failures stay failures.
// Its identity is that of its value, when the value has one.
template <DecodableDefaultSource Source>
struct DecodableDefault {
  using RawValue = typename Source::Value;
  static constexpr bool codesAsSingleValue = true;

  RawValue wrappedValue = Source::defaultValue();
  const RawValue& rawValue() const { return wrappedValue; }
  friend bool operator==(const DecodableDefault&, const DecodableDefault&) = default;
  decltype(auto) id() const requires Identifiable<RawValue> { return wrappedValue.id(); }
};

// A hashable value of any type.
class AnyHashable {
 public:
  template <Hashable T>
  explicit AnyHashable(T value)
      : value_(std::move(value)),
        hash_(std::hash<T>()(std::any_cast<const T&>(value_))),
        isEqual_([](const std::any& a, const std::any& b) {
          auto first = std::any_cast<T>(&a);
          auto second = std::any_cast<T>(&b);
          return first && second && *first == *second;
        }) {}

  std::size_t hash() const { return hash_; }
  friend bool operator==(const AnyHashable& a, const AnyHashable& b) { return a.isEqual_(a.value_, b.value_); }

 private:
  std::any value_;
  std::size_t hash_;
  bool (*isEqual_)(const std::any&, const std::any&);
};

// A list of hashable values whose hash is computed once, when it is made.
class AggregateHashable {
 public:
  explicit AggregateHashable(std::vector<AnyHashable> elements) : elements_(std::move(elements)) {
    for (const auto& element : elements_) hashCombine(cachedHashValue_, element.hash());
  }
  const std::vector<AnyHashable>& elements() const { return elements_; }
  std::size_t cachedHashValue() const { return cachedHashValue_; }
  friend bool operator==(const AggregateHashable& a, const AggregateHashable& b) { return a.elements_ == b.elements_; }

 private:
  std::vector<AnyHashable> elements_;
  std::size_t cachedHashValue_ = 0;
};

}  // namespace kit

template <class Value, bool isMutable>
struct std::hash<kit::IgnoredInEquality<Value, isMutable>> {
  size_t operator()(const kit::IgnoredInEquality<Value, isMutable>&) const noexcept { return 0; }
};

template <class Value>
struct std::hash<kit::IgnoreCodable<Value>> {
  size_t operator()(const kit::IgnoreCodable<Value>& wrapper) const {
    return std::hash<std::optional<Value>>()(wrapper.wrappedValue);
  }
};

template <class ID, class Value>
struct std::hash<kit::Identified<ID, Value>> {
  size_t operator()(const kit::Identified<ID, Value>& identified) const {
    size_t seed = std::hash<ID>()(identified.id());
    kit::hashCombine(seed, std::hash<Value>()(identified.value));
    return seed;
  }
};

template <kit::DecodableDefaultSource Source>
struct std::hash<kit::DecodableDefault<Source>> {
  size_t operator()(const kit::DecodableDefault<Source>& wrapper) const {
    return std::hash<typename Source::Value>()(wrapper.wrappedValue);
  }
};

template <>
struct std::hash<kit::AnyHashable> {
  size_t operator()(const kit::AnyHashable& value) const noexcept { return value.hash(); }
};

template <>
struct std::hash<kit::AggregateHashable> {
  size_t operator()(const kit::AggregateHashable& value) const noexcept { return value.cachedHashValue(); }
};
