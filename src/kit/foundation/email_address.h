#pragma once

#include <compare>
#include <functional>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

namespace kit {

template <class T>
struct JsonDecoding;

// One e-mail address, trimmed and checked when made from text. Equal, ordered and hashed by the text (case counts:
// addresses that differ only in letter case are different values). Coded as the bare address.
class EmailAddress {
 public:
  using RawValue = std::string;

  // The address in the text, without surrounding whitespace and line breaks; none unless the rest is exactly one
  // address (an empty text, blanks, an address among other words give none).
  static std::optional<EmailAddress> fromString(std::string_view text);
  // An address written into the program; a malformed one stops it ("Invalid email address: " and the text as
  // written).
  static EmailAddress literal(std::string_view text, std::source_location location = std::source_location::current());

  // The maker's address for feedback and support.
  static const EmailAddress& developerFeedback();

  const RawValue& rawValue() const { return rawValue_; }
  const RawValue& id() const { return rawValue_; }
  auto operator<=>(const EmailAddress&) const = default;

 private:
  explicit EmailAddress(RawValue rawValue) : rawValue_(std::move(rawValue)) {}
  // Decoding keeps whatever was stored, unchecked.
  friend struct JsonDecoding<EmailAddress>;

  RawValue rawValue_;
};

void to_json(nlohmann::ordered_json& json, const EmailAddress& address);

template <>
struct JsonDecoding<EmailAddress> {
  static EmailAddress decode(const nlohmann::ordered_json& json, const std::vector<std::string>& path);
};

}  // namespace kit

template <>
struct std::hash<kit::EmailAddress> {
  std::size_t operator()(const kit::EmailAddress& address) const noexcept {
    return std::hash<std::string>()(address.rawValue());
  }
};
