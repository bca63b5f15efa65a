#include "kit/foundation/text_checking.h"

#include <algorithm>

#include "kit/foundation/regex.h"
#include "platform/text/grapheme.h"
#include "platform/text/link_detector.h"
#include "platform/text/utf8.h"

namespace kit {

bool isEmailAddress(std::string_view text) {
  const auto links = platform::detectLinks(text);
  if (links.empty()) return false;
  const auto& url = links.front().url;
  auto scheme = url.scheme();
  if (!scheme) return false;
  std::transform(scheme->begin(), scheme->end(), scheme->begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  if (*scheme != "mailto") return false;
  return platform::UrlComponents(url).path() == text;
}

const platform::Regex& htmlTagPairRegex() {
  static const platform::Regex regex = ZvRegex::constant(R"(<\w+\b[^>]*?>.*?<\/\w+\b[^>]*?>)").regex();
  return regex;
}

bool isEmptyOrWhitespaceOrNewline(std::string_view text) {
  return isEmptyOrAllSatisfy(platform::graphemes(text), [](std::string_view character) {
    const char32_t first = platform::decodeUtf8(character, 0).scalar;
    return platform::isWhitespaceScalar(first) || platform::isNewlineScalar(first);
  });
}

}  // namespace kit
