#include "kit/foundation/text_helpers.h"

#include "kit/foundation/text_checking.h"
#include "platform/text/grapheme.h"
#include "platform/text/whitespace.h"

namespace kit {

bool isEmptyOrWhitespace(std::string_view text) {
  return isEmptyOrAllSatisfy(platform::graphemes(text), platform::isWhitespaceCharacter);
}

std::optional<std::string> nilIfEmptyOrWhitespace(std::string text) {
  if (isEmptyOrWhitespace(text)) return std::nullopt;
  return text;
}

}  // namespace kit
