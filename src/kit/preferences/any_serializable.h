#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kit/foundation/text_helpers.h"
#include "kit/preferences/native_form.h"
#include "kit/preferences/serializable.h"

namespace kit::Preferences {

// A value already in stored form (any property-list object), or nil. Written as a literal of its own:
//   AnySerializable flag = true, count = 1, ratio = 1.5, name = "abc", none = std::nullopt;
//   AnySerializable list = std::vector<AnySerializable>{1, "a"};
//   AnySerializable table = {{"a", 1}, {"b", "x"}};  // each key once: a repeated key stops the program
// String and character literals of every encoding are text ("é", u8"é", u"é", U"é", U'é'); a pointer of any other
// kind converts to nothing.
class AnySerializable {
 public:
  AnySerializable() = default;  // nil
  AnySerializable(std::nullopt_t) {}
  AnySerializable(PlistValue value) : value_(std::move(value)) {}
  template <std::same_as<bool> B>
  AnySerializable(B value) : value_(value) {}
  template <std::integral I>
  requires(!std::same_as<I, bool> && !CharacterType<I>) AnySerializable(I value)
      : value_(NativeForm<I>::toPlist(value)) {}
  AnySerializable(double value) : value_(value) {}
  AnySerializable(const char* value) : value_(value) {}
  AnySerializable(std::string value) : value_(std::move(value)) {}
  // Text is stored in UTF-8; in the other encodings a code unit that is no character becomes U+FFFD.
  AnySerializable(std::string_view text) : value_(std::string(text)) {}
  AnySerializable(std::u8string_view text);
  AnySerializable(std::u16string_view text);
  AnySerializable(std::u32string_view text);
  AnySerializable(std::wstring_view text);
  AnySerializable(const char8_t* value) : AnySerializable(std::u8string_view(value)) {}
  AnySerializable(const char16_t* value) : AnySerializable(std::u16string_view(value)) {}
  AnySerializable(const char32_t* value) : AnySerializable(std::u32string_view(value)) {}
  AnySerializable(const wchar_t* value) : AnySerializable(std::wstring_view(value)) {}
  template <CharacterType C>
  AnySerializable(C character) : AnySerializable(std::basic_string_view<C>(&character, 1)) {}
  template <class T>
  AnySerializable(const T*) = delete;  // a pointer is no literal, and would otherwise pass for true
  // The array of the elements' values; a nil element has no place in a stored array and is left out.
  AnySerializable(const std::vector<AnySerializable>& elements);
  AnySerializable(std::initializer_list<std::pair<const std::string, AnySerializable>> entries);
  static AnySerializable stored(std::optional<PlistValue> value) {
    AnySerializable result;
    result.value_ = std::move(value);
    return result;
  }

  // The serialized form of a storable value; nil when it has none.
  template <PreferencesSerializable T>
  static AnySerializable of(const T& value) {
    return stored(serializedValue(value));
  }

  template <PreferencesSerializable T>
  std::optional<T> get() const {
    if (!value_) return std::nullopt;
    return toValue<T>(*value_);
  }
  template <PreferencesSerializable T>
  void set(const T& value) {
    value_ = serializedValue(value);
  }

  bool isNil() const { return !value_; }
  const std::optional<PlistValue>& value() const { return value_; }

  // Numbers compare across kinds as the first kind both hold exactly: a Bool, an integer, a real (1, 1.0 and true are
  // equal; 2^53 + 1 and the real 2^53 are not); otherwise kind and value must match.
  friend bool operator==(const AnySerializable& a, const AnySerializable& b);
  std::size_t hash() const;

 private:
  std::optional<PlistValue> value_;
};

struct AnyBridge {
  using Value = AnySerializable;
  using Stored = PlistValue;
  static std::optional<Stored> serialize(const std::optional<AnySerializable>& v) {
    if (!v || v->isNil()) return std::nullopt;
    return *v->value();
  }
  // Never none: an absent value is a nil AnySerializable.
  static std::optional<AnySerializable> deserialize(const std::optional<Stored>& s) {
    return AnySerializable::stored(s);
  }
};

template <>
struct Serializable<AnySerializable> {
  static constexpr bool storesNatively = false;
  using Bridge = AnyBridge;
};

}  // namespace kit::Preferences

template <>
struct std::hash<kit::Preferences::AnySerializable> {
  std::size_t operator()(const kit::Preferences::AnySerializable& v) const noexcept { return v.hash(); }
};
