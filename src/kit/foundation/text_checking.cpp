#include "kit/foundation/text_checking.h"

#include <cstddef>

#include "kit/foundation/regex.h"
#include "platform/text/grapheme.h"
#include "platform/text/link_detector.h"
#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace kit {

bool isEmailAddress(std::string_view text) {
  const auto links = platform::detectLinks(text);
  if (links.empty()) return false;
  const auto& url = links.front().url;
  return url.hasScheme("mailto") && platform::UrlComponents(url).path() == text;
}

const platform::Regex& htmlTagPairRegex() {
  static const platform::Regex regex = ZvRegex::constant(R"(<\w+\b[^>]*?>.*?<\/\w+\b[^>]*?>)").regex();
  return regex;
}

bool isEmptyOrWhitespaceOrNewline(std::string_view text) {
  // A character is whitespace (line breaks included) when its first scalar is. So the text is blank unless a
  // scalar that is not whitespace starts a character; one that only marks a whitespace character does not count.
  // Scanning scalars, and finding characters only around such a scalar, stops at the first one that counts.
  std::size_t offset = 0;
  while (offset < text.size()) {
    const auto decoded = platform::decodeUtf8(text, offset);
    if (platform::isWhitespaceScalar(decoded.scalar)) {
      offset += decoded.length;
      continue;
    }
    const auto character = platform::rangeOfComposedCharacterSequences(text, {offset, 0});
    if (character.location == offset) return false;
    offset = character.end();
  }
  return true;
}

}  // namespace kit
