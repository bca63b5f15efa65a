#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "platform/url/url.h"

namespace kit {

using Bytes8 = std::vector<uint8_t>;

// The readable name of a dynamic type ("kit::GeneralError"), for error texts.
std::string typeName(const std::type_info& type);
template <class T>
std::string typeName(const T& value) {
  return typeName(typeid(value));
}

// A type as a value: equal to another when both name the same type, and hashable, so that types can key tables.
struct HashableType {
  std::type_index base;

  template <class T>
  static HashableType of() {
    return {typeid(T)};
  }
  // The dynamic type of an object.
  template <class T>
  static HashableType ofObject(const T& object) {
    return {typeid(object)};
  }
  bool operator==(const HashableType&) const = default;
};

// The bytes at offsets [from, to); a range outside the buffer is a programmer error.
Bytes8 subrange(const Bytes8& bytes, std::size_t from, std::size_t to);
// Without one trailing zero byte, when there is one (C strings of system queries).
Bytes8 droppingTrailingNullByte(Bytes8 bytes);
std::string droppingTrailingNullByte(std::string bytes);

// A URL from fixed program text; text that is no URL is a programmer error.
platform::Url urlFromLiteral(std::string_view text);

}  // namespace kit

template <>
struct std::hash<kit::HashableType> {
  std::size_t operator()(const kit::HashableType& type) const noexcept { return type.base.hash_code(); }
};
