#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <string>
#include <variant>

#include "kit/foundation/json_coding.h"

namespace kit {

// Positional groups of values. Equality, hashing and coding exist when every member has them; each codes as one
// object keyed "first", "second", "third", "fourth".
template <class A, class B>
struct Tuple2 {
  A first;
  B second;
  friend bool operator==(const Tuple2&, const Tuple2&) = default;
};

template <class A, class B, class C>
struct Tuple3 {
  A first;
  B second;
  C third;
  friend bool operator==(const Tuple3&, const Tuple3&) = default;
};

template <class A, class B, class C, class D>
struct Tuple4 {
  A first;
  B second;
  C third;
  D fourth;
  friend bool operator==(const Tuple4&, const Tuple4&) = default;
};

// Exactly one value of one of two types. Every left value orders before every right value.
template <class Left, class Right>
class Either {
 public:
  static Either left(Left value) { return Either(std::in_place_index<0>, std::move(value)); }
  static Either right(Right value) { return Either(std::in_place_index<1>, std::move(value)); }

  bool isLeft() const { return storage_.index() == 0; }
  bool isRight() const { return storage_.index() == 1; }
  const Left& leftValue() const { return std::get<0>(storage_); }
  const Right& rightValue() const { return std::get<1>(storage_); }
  // 0 for left, 1 for right.
  std::size_t caseNumber() const { return storage_.index(); }

  friend bool operator==(const Either& a, const Either& b) { return a.storage_ == b.storage_; }
  friend bool operator<(const Either& a, const Either& b) {
    if (a.isLeft() != b.isLeft()) return a.isLeft();
    if (a.isLeft()) return !(a.leftValue() == b.leftValue()) && a.leftValue() < b.leftValue();
    return !(a.rightValue() == b.rightValue()) && a.rightValue() < b.rightValue();
  }
  friend bool operator>(const Either& a, const Either& b) { return b < a; }
  friend bool operator<=(const Either& a, const Either& b) { return !(b < a); }
  friend bool operator>=(const Either& a, const Either& b) { return !(a < b); }

 private:
  template <std::size_t I, class V>
  Either(std::in_place_index_t<I> index, V&& value) : storage_(index, std::forward<V>(value)) {}
  std::variant<Left, Right> storage_;
};

template <class A, class B>
void to_json(Json& json, const Tuple2<A, B>& tuple) {
  json = Json::object();
  encodeMember(json, "first", tuple.first);
  encodeMember(json, "second", tuple.second);
}

template <class A, class B, class C>
void to_json(Json& json, const Tuple3<A, B, C>& tuple) {
  json = Json::object();
  encodeMember(json, "first", tuple.first);
  encodeMember(json, "second", tuple.second);
  encodeMember(json, "third", tuple.third);
}

template <class A, class B, class C, class D>
void to_json(Json& json, const Tuple4<A, B, C, D>& tuple) {
  json = Json::object();
  encodeMember(json, "first", tuple.first);
  encodeMember(json, "second", tuple.second);
  encodeMember(json, "third", tuple.third);
  encodeMember(json, "fourth", tuple.fourth);
}

// {"left":{"_0":value}} or {"right":{"_0":value}}.
template <class Left, class Right>
void to_json(Json& json, const Either<Left, Right>& either) {
  json = Json::object();
  Json payload = Json::object();
  if (either.isLeft())
    encodeMember(payload, "_0", either.leftValue());
  else
    encodeMember(payload, "_0", either.rightValue());
  json[either.isLeft() ? "left" : "right"] = std::move(payload);
}

template <class A, class B>
struct JsonDecoding<Tuple2<A, B>> {
  static Tuple2<A, B> decode(const Json& json, const CodingPath& path) {
    const Json& object = keyedContainer(json, path, "Tuple2");
    A first = decodeRequiredMember<A>(object, "first", path);
    B second = decodeRequiredMember<B>(object, "second", path);
    return {std::move(first), std::move(second)};
  }
};

template <class A, class B, class C>
struct JsonDecoding<Tuple3<A, B, C>> {
  static Tuple3<A, B, C> decode(const Json& json, const CodingPath& path) {
    const Json& object = keyedContainer(json, path, "Tuple3");
    A first = decodeRequiredMember<A>(object, "first", path);
    B second = decodeRequiredMember<B>(object, "second", path);
    C third = decodeRequiredMember<C>(object, "third", path);
    return {std::move(first), std::move(second), std::move(third)};
  }
};

template <class A, class B, class C, class D>
struct JsonDecoding<Tuple4<A, B, C, D>> {
  static Tuple4<A, B, C, D> decode(const Json& json, const CodingPath& path) {
    const Json& object = keyedContainer(json, path, "Tuple4");
    A first = decodeRequiredMember<A>(object, "first", path);
    B second = decodeRequiredMember<B>(object, "second", path);
    C third = decodeRequiredMember<C>(object, "third", path);
    D fourth = decodeRequiredMember<D>(object, "fourth", path);
    return {std::move(first), std::move(second), std::move(third), std::move(fourth)};
  }
};

template <class Left, class Right>
struct JsonDecoding<Either<Left, Right>> {
  static Either<Left, Right> decode(const Json& json, const CodingPath& path) {
    const Json& object = keyedContainer(json, path, "Either");
    bool hasLeft = object.contains("left"), hasRight = object.contains("right");
    if (hasLeft == hasRight) {
      throw DecodingError(DecodingError::Kind::typeMismatch, path, "Invalid number of keys found, expected one.",
                          "Either");
    }
    const std::string key = hasLeft ? "left" : "right";
    CodingPath casePath = path;
    casePath.push_back(key);
    const Json& payload = keyedContainer(object.at(key), casePath, "Either");
    if (hasLeft) return Either<Left, Right>::left(decodeRequiredMember<Left>(payload, "_0", casePath));
    return Either<Left, Right>::right(decodeRequiredMember<Right>(payload, "_0", casePath));
  }
};

}  // namespace kit

template <class A, class B>
struct std::hash<kit::Tuple2<A, B>> {
  size_t operator()(const kit::Tuple2<A, B>& t) const {
    size_t seed = 0;
    kit::hashCombine(seed, std::hash<A>()(t.first));
    kit::hashCombine(seed, std::hash<B>()(t.second));
    return seed;
  }
};

template <class A, class B, class C>
struct std::hash<kit::Tuple3<A, B, C>> {
  size_t operator()(const kit::Tuple3<A, B, C>& t) const {
    size_t seed = 0;
    kit::hashCombine(seed, std::hash<A>()(t.first));
    kit::hashCombine(seed, std::hash<B>()(t.second));
    kit::hashCombine(seed, std::hash<C>()(t.third));
    return seed;
  }
};

template <class A, class B, class C, class D>
struct std::hash<kit::Tuple4<A, B, C, D>> {
  size_t operator()(const kit::Tuple4<A, B, C, D>& t) const {
    size_t seed = 0;
    kit::hashCombine(seed, std::hash<A>()(t.first));
    kit::hashCombine(seed, std::hash<B>()(t.second));
    kit::hashCombine(seed, std::hash<C>()(t.third));
    kit::hashCombine(seed, std::hash<D>()(t.fourth));
    return seed;
  }
};

template <class Left, class Right>
struct std::hash<kit::Either<Left, Right>> {
  size_t operator()(const kit::Either<Left, Right>& e) const {
    size_t seed = 0;
    kit::hashCombine(seed, e.caseNumber());
    kit::hashCombine(seed, e.isLeft() ? std::hash<Left>()(e.leftValue()) : std::hash<Right>()(e.rightValue()));
    return seed;
  }
};
