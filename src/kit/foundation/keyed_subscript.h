#pragma once

#include <optional>
#include <utility>

namespace kit {

// What `collection[key]` gives on a collection whose key subscript both reads and writes. It reads as the value the
// collection held for the key when it was made (none when absent); assigning to it stores through the collection's
// `set(key, value)`: a value is stored, none removes the key. What it reads is const: a change made in place would be
// made to the copy and lost, so it does not compile.
template <class Collection, class Key, class Value>
class KeyedSubscript : public std::optional<Value> {
 public:
  KeyedSubscript(Collection& collection, Key key, std::optional<Value> current)
      : std::optional<Value>(std::move(current)), collection_(collection), key_(std::move(key)) {}
  KeyedSubscript(const KeyedSubscript&) = default;

  KeyedSubscript& operator=(std::optional<Value> value) {
    collection_.set(key_, value);
    std::optional<Value>::operator=(std::move(value));
    return *this;
  }
  // `a[x] = b[y]` stores what b holds for y.
  KeyedSubscript& operator=(const KeyedSubscript& other) {
    return *this = static_cast<const std::optional<Value>&>(other);
  }

  const Value& operator*() const { return std::optional<Value>::operator*(); }
  const Value* operator->() const { return std::optional<Value>::operator->(); }
  const Value& value() const { return std::optional<Value>::value(); }
  void reset() = delete;
  void swap(std::optional<Value>&) = delete;
  template <class... Args>
  void emplace(Args&&...) = delete;

 private:
  Collection& collection_;
  Key key_;
};

}  // namespace kit
