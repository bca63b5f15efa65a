#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kit {

// One e-mail address, trimmed and checked when made from text. Equal when the texts are equal (case counts).
class EmailAddress {
 public:
  // The address in the text, without surrounding whitespace; none unless the rest is exactly one address.
  static std::optional<EmailAddress> fromString(std::string_view text);
  // An address written into the program; a malformed one stops it ("Invalid email address: " and the text).
  static EmailAddress literal(std::string_view text);

  // The maker's address for feedback and support.
  static const EmailAddress& developerFeedback();

  const std::string& rawValue() const { return rawValue_; }
  bool operator==(const EmailAddress&) const = default;

 private:
  explicit EmailAddress(std::string rawValue) : rawValue_(std::move(rawValue)) {}
  std::string rawValue_;
};

}  // namespace kit
