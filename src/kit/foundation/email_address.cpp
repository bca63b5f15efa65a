#include "kit/foundation/email_address.h"

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/json_coding.h"
#include "kit/foundation/text_checking.h"
#include "platform/text/whitespace.h"

namespace kit {

std::optional<EmailAddress> EmailAddress::fromString(std::string_view text) {
  std::string trimmed = platform::trimmingWhitespaceAndNewlines(text);
  if (!isEmailAddress(trimmed)) return std::nullopt;
  return EmailAddress(std::move(trimmed));
}

EmailAddress EmailAddress::literal(std::string_view text, std::source_location location) {
  auto address = fromString(text);
  if (!address) fatalError("Invalid email address: " + std::string(text), location);
  return *address;
}

const EmailAddress& EmailAddress::developerFeedback() {
  static const EmailAddress address = literal("feedback@kestrova.com");
  return address;
}

void to_json(Json& json, const EmailAddress& address) { json = address.rawValue(); }

EmailAddress JsonDecoding<EmailAddress>::decode(const Json& json, const CodingPath& path) {
  return EmailAddress(decodeJson<std::string>(json, path));
}

}  // namespace kit
