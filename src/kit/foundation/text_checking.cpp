#include "kit/foundation/text_checking.h"

#include "kit/foundation/regex.h"
#include "platform/text/grapheme.h"
#include "platform/text/link_detector.h"
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
  // A character is whitespace when its first scalar is, and every line break is whitespace already.
  return isEmptyOrAllSatisfy(platform::characters(text), platform::isWhitespaceCharacter);
}

}  // namespace kit
