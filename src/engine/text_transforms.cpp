#include "engine/text_transforms.h"

#include <vector>

#include "engine/tracking_parameters.h"
#include "engine/trimming.h"
#include "platform/text/character_view.h"
#include "platform/text/grapheme.h"
#include "platform/text/link_detector.h"
#include "platform/text/utf8.h"
#include "platform/text/whitespace.h"

namespace engine {

using platform::AttributedString;
using platform::ByteRange;

AttributedString removingAllAttributesExceptLinks(const AttributedString& text) { return text.linksOnly(); }

void removeTrackingParametersFromLinkAttributes(AttributedString& text) {
  text.transformLinks(removingTrackingParametersUnlessExempt);
}

void removeTrackingParametersFromLinks(AttributedString& text) {
  removeTrackingParametersFromLinkAttributes(text);
  const std::string snapshot = text.string();
  std::vector<AttributedString::Replacement> replacements;
  for (const platform::LinkMatch& match : platform::detectLinks(snapshot)) {
    if (platform::rangeOfComposedCharacterSequences(snapshot, match.range) != match.range) continue;
    // The text as written, not the detector's URL: a URL without a scheme stays without one.
    std::optional<platform::Url> written =
        platform::Url::parseStrict(std::string_view(snapshot).substr(match.range.location, match.range.length));
    if (!written) continue;
    platform::Url cleaned = removingTrackingParametersUnlessExempt(*written);
    if (cleaned == *written) continue;
    replacements.push_back({match.range, cleaned.absoluteString()});
  }
  // All at once, which is the same as one by one from the last to the first.
  if (!replacements.empty()) text.replace(std::move(replacements));
}

const platform::Regex& unorderedListItemRegex() {
  // The indentation takes horizontal whitespace only: with any whitespace it could also take the blank lines
  // before a bullet, which gives the same replacement but backtracks quadratically over long blank runs.
  // "." would let U+000B and U+000C into the value, which a line-based reading ends at.
  static const platform::Regex regex = platform::Regex::compile(
      "^(?<indent>\\h*)"
      "[\\-\u2022\u2023\u2043\u204C\u204D\u2219\u00B7\u25CB\u25CF\u25D8\u25E6\u2619\u2765\u2767\u29BE\u29BF\u25C9o"
      "\u00A7\u27A2\u27A4\u29EB\u274D\\x{F0A7}]"
      "\\p{White_Space}+"
      "(?<value>[^\\n\\x0B\\f\\r\\x{85}\\x{2028}\\x{2029}]+)",
      platform::RegexOptions{.anchorsMatchLines = true});
  return regex;
}

namespace {

// The bullets of unorderedListItemRegex().
bool isListBullet(char32_t c) {
  constexpr std::u32string_view bullets =
      U"-\u2022\u2023\u2043\u204C\u204D\u2219\u00B7\u25CB\u25CF\u25D8\u25E6\u2619\u2765\u2767\u29BE\u29BF\u25C9o"
      U"\u00A7\u27A2\u27A4\u29EB\u274D\uF0A7";
  return bullets.find(c) != std::u32string_view::npos;
}

// What "\h" takes: the tab and the space separators.
bool isHorizontalSpace(char32_t c) {
  return c == '\t' || c == ' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

// Where the line after the one at `offset` starts: past the next "\n", "\v", "\f", "\r", U+0085, U+2028 or
// U+2029; the end of the text after the last line. Looks at bytes: the terminators' encodings are not part of any
// other character's.
size_t startOfNextLine(std::string_view text, size_t offset) {
  const auto byte = [&](size_t at) { return at < text.size() ? static_cast<unsigned char>(text[at]) : 0; };
  for (size_t at = offset; at < text.size(); ++at) {
    const unsigned char c = byte(at);
    if (c >= '\n' && c <= '\r') return at + 1;
    if (c == 0xC2 && byte(at + 1) == 0x85) return at + 2;
    if (c == 0xE2 && byte(at + 1) == 0x80 && (byte(at + 2) == 0xA8 || byte(at + 2) == 0xA9)) return at + 3;
  }
  return text.size();
}

// Where the first bulleted line may start: the first line that holds a bullet after its indentation. No line
// before it can match unorderedListItemRegex(), so the search may start there; the end of the text when no line
// can match. Far cheaper than the search itself.
size_t startOfFirstPossibleListItem(std::string_view text) {
  for (size_t line = 0; line < text.size(); line = startOfNextLine(text, line)) {
    size_t at = line;
    platform::DecodedScalar scalar{};
    while (at < text.size() && isHorizontalSpace((scalar = platform::decodeUtf8(text, at)).scalar)) at += scalar.length;
    if (at < text.size() && isListBullet(platform::decodeUtf8(text, at).scalar)) return line;
  }
  return text.size();
}

std::string_view groupText(const platform::RegexMatch& match, std::string_view name, std::string_view text) {
  std::optional<ByteRange> range = match.group(name);
  return range ? text.substr(range->location, range->length) : std::string_view();
}
}  // namespace

std::string normalizedListItem(const platform::RegexMatch& match, std::string_view text) {
  std::string item(groupText(match, "indent", text));
  item += "- ";
  item += groupText(match, "value", text);
  return item;
}

std::string normalizingUnorderedLists(std::string_view text) {
  const size_t start = startOfFirstPossibleListItem(text);
  if (start == text.size()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  result.append(text.substr(0, start));
  // Matches in the rest of the text, which starts a line as the whole text does.
  const std::string_view rest = text.substr(start);
  size_t copied = 0;
  for (const platform::RegexMatch& match : unorderedListItemRegex().matches(rest)) {
    result.append(rest.substr(copied, match.range.location - copied));
    result += normalizedListItem(match, rest);
    copied = match.range.end();
  }
  result.append(rest.substr(copied));
  return result;
}

void normalizeUnorderedLists(AttributedString& text) {
  const size_t start = startOfFirstPossibleListItem(text.string());
  if (start == text.string().size()) return;
  const std::string snapshot = text.string();
  // Matches in the rest of the text, which starts a line as the whole text does.
  const std::string_view rest = std::string_view(snapshot).substr(start);
  std::vector<AttributedString::Replacement> replacements;
  for (const platform::RegexMatch& match : unorderedListItemRegex().matches(rest)) {
    const ByteRange range{start + match.range.location, match.range.length};
    // Only ranges on character boundaries carry over to the attributed text.
    if (platform::rangeOfComposedCharacterSequences(snapshot, range) != range) continue;
    // Only the bullet and the whitespace after it change: replacing the whole line would give it the
    // attributes of its first character and drop the links of the item's text.
    std::optional<ByteRange> indent = match.group("indent");
    std::optional<ByteRange> value = match.group("value");
    if (!indent || !value) continue;
    replacements.push_back({ByteRange::fromBounds(start + indent->end(), start + value->location), "- "});
  }
  // All at once, which is the same as one by one from the last to the first.
  if (!replacements.empty()) text.replace(std::move(replacements));
}

void trimTrailingWhitespace(AttributedString& text) {
  AttributedString::CharacterView characters = text.characters();
  trimSuffix(characters, platform::isWhitespaceCharacter);
}

void trimWhitespace(AttributedString& text) {
  trimTrailingWhitespace(text);
  AttributedString::CharacterView characters = text.characters();
  trimPrefix(characters, platform::isWhitespaceCharacter);
}

}  // namespace engine
