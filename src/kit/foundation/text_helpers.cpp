#include "kit/foundation/text_helpers.h"

#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace kit {

bool isEmptyOrWhitespace(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const platform::DecodedScalar scalar = platform::decodeUtf8(text, i);
    if (!scalar.valid || !platform::isWhitespaceScalar(scalar.scalar)) return false;
    i += scalar.length;
  }
  return true;
}

std::optional<std::string> nilIfEmptyOrWhitespace(std::string text) {
  if (isEmptyOrWhitespace(text)) return std::nullopt;
  return text;
}

}  // namespace kit
