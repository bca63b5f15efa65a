#pragma once

// Equality and hashing by identity, for objects that stand for themselves rather than for a value: derive from
// EquatableByReference<Self> or HashableByReference<Self>.

#include <concepts>
#include <cstddef>
#include <functional>

namespace kit {

// Two objects are equal exactly when they are the same object.
template <class Self>
class EquatableByReference {
 public:
  friend bool operator==(const Self& a, const Self& b) { return &a == &b; }
};

// Equal by identity, and the hash is that of the object's address alone.
template <class Self>
class HashableByReference : public EquatableByReference<Self> {
 public:
  std::size_t hashValue() const { return std::hash<const void*>()(static_cast<const Self*>(this)); }
};

}  // namespace kit

template <class T>
requires std::derived_from<T, kit::HashableByReference<T>>
struct std::hash<T> {
  std::size_t operator()(const T& object) const noexcept { return object.hashValue(); }
};
