#pragma once

#include <functional>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>

namespace kit {

// One e-mail address, trimmed and checked when made from text. Equal and hashed by the text (case counts: addresses
// that differ only in letter case are different values). Coded as the bare address.
class EmailAddress {
 public:
  using RawValue = std::string;
  static constexpr bool codesAsSingleValue = true;

  // The address in the text, without surrounding whitespace and line breaks; none unless the rest is exactly one
  // address (an empty text, blanks, an address among other words give none).
  static std::optional<EmailAddress> fromString(std::string_view text);
  // An address written into the program; a malformed one stops it ("Invalid email address: " and the text as
  // written).
  static EmailAddress literal(std::string_view text, std::source_location location = std::source_location::current());
  // The address as stored, unchecked: decoding keeps whatever was stored.
  explicit EmailAddress(RawValue rawValue) : rawValue_(std::move(rawValue)) {}

  // The maker's address for feedback and support.
  static const EmailAddress& developerFeedback();

  const RawValue& rawValue() const { return rawValue_; }
  const RawValue& id() const { return rawValue_; }
  bool operator==(const EmailAddress&) const = default;

 private:
  RawValue rawValue_;
};

}  // namespace kit

template <>
struct std::hash<kit::EmailAddress> {
  std::size_t operator()(const kit::EmailAddress& address) const noexcept {
    return std::hash<std::string>()(address.rawValue());
  }
};
