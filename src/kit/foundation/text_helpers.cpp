#include "kit/foundation/text_helpers.h"

#include "kit/foundation/text_checking.h"

namespace kit {

bool isEmptyOrWhitespace(std::string_view text) { return isEmptyOrWhitespaceOrNewline(text); }

std::optional<std::string> nilIfEmptyOrWhitespace(std::string text) {
  if (isEmptyOrWhitespace(text)) return std::nullopt;
  return text;
}

}  // namespace kit
