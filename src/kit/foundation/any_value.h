#pragma once

#include <concepts>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "kit/foundation/textual_description.h"

namespace kit {

// Any printable value, its type erased: what a table of values of different types holds. It prints as the value it
// holds (a text without quotes, true, 42, Optional(5), [1, 2]). Texts are kept as std::string, so that a literal or
// a string_view never outlives what it points into. An empty one holds an absent optional, and prints as nil.
class AnyValue {
 public:
  AnyValue() = default;
  AnyValue(std::nullopt_t) {}
  template <class T>
  requires(!std::same_as<T, AnyValue> && Describable<T>) AnyValue(T value);

  std::string description() const { return rendered(false); }
  std::string debugDescription() const { return rendered(true); }
  // The text it holds; none when it holds anything else.
  std::optional<std::string_view> text() const;
  // True when it holds an optional, present or absent.
  bool isOptional() const { return !value_ || value_->isOptional(); }
  // An optional's value, none when it is absent; any other value as it is.
  std::optional<AnyValue> unwrapped() const;
  // An optional's value, or the text "<nil>" when it is absent, so that an absence shows in a listing of values;
  // any other value as it is.
  AnyValue unwrappedOrNil() const;
  // The value when it is a T.
  template <class T>
  const T* get() const {
    return value_ && value_->type() == typeid(T) ? static_cast<const T*>(value_->address()) : nullptr;
  }

 private:
  struct Held {
    virtual ~Held() = default;
    virtual void append(std::string& out, bool debug) const = 0;
    virtual std::optional<std::string_view> text() const = 0;
    virtual bool isOptional() const = 0;
    virtual std::optional<AnyValue> unwrapped() const = 0;
    virtual const std::type_info& type() const = 0;
    virtual const void* address() const = 0;
  };
  template <class T>
  struct HeldValue;

  std::string rendered(bool debug) const;

  std::shared_ptr<const Held> value_;
};

template <class T>
struct AnyValue::HeldValue final : Held {
  explicit HeldValue(T v) : value(std::move(v)) {}
  void append(std::string& out, bool debug) const override {
    if (debug)
      appendReflecting(out, value);
    else
      appendDescribing(out, value);
  }
  std::optional<std::string_view> text() const override { return asText(value); }
  bool isOptional() const override { return kit::isOptional<T>; }
  std::optional<AnyValue> unwrapped() const override {
    if constexpr (kit::isOptional<T>) {
      if (!value) return std::nullopt;
      return AnyValue(*value);
    } else {
      return AnyValue(value);
    }
  }
  const std::type_info& type() const override { return typeid(T); }
  const void* address() const override { return &value; }

  T value;
};

template <class T>
requires(!std::same_as<T, AnyValue> && Describable<T>) AnyValue::AnyValue(T value) {
  if constexpr (textual::Text<T> && !std::same_as<T, std::string>)
    value_ = std::make_shared<HeldValue<std::string>>(std::string(textual::textView(value)));
  else
    value_ = std::make_shared<HeldValue<T>>(std::move(value));
}

inline std::string AnyValue::rendered(bool debug) const {
  if (!value_) return "nil";
  std::string out;
  value_->append(out, debug);
  return out;
}

inline std::optional<std::string_view> AnyValue::text() const { return value_ ? value_->text() : std::nullopt; }

inline std::optional<AnyValue> AnyValue::unwrapped() const { return value_ ? value_->unwrapped() : std::nullopt; }

inline AnyValue AnyValue::unwrappedOrNil() const {
  auto wrapped = unwrapped();
  return wrapped ? *std::move(wrapped) : AnyValue("<nil>");
}

}  // namespace kit
