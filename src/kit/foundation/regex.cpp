#include "kit/foundation/regex.h"

#include <algorithm>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/hashing.h"
#include "platform/text/grapheme.h"

namespace kit {
namespace {

// Widens ranges to whole characters; the boundaries are computed once per searched text, and only when
// the text has characters of more than one byte.
class CharacterWidener {
 public:
  explicit CharacterWidener(std::shared_ptr<const std::string> text) : text_(std::move(text)) {
    if (!platform::isSingleByteCharacters(*text_)) {
      boundaries_ = std::make_shared<std::vector<std::size_t>>(platform::graphemeBoundaries(*text_));
    }
  }

  platform::ByteRange widen(platform::ByteRange range) const {
    if (!boundaries_) return range;
    const auto& b = *boundaries_;
    auto startIt = std::upper_bound(b.begin(), b.end(), range.location);
    const std::size_t start = startIt == b.begin() ? 0 : *(startIt - 1);
    auto endIt = std::lower_bound(b.begin(), b.end(), range.end());
    const std::size_t end = endIt == b.end() ? text_->size() : *endIt;
    return platform::ByteRange::fromBounds(start, std::max(start, end));
  }

  std::optional<ZvRegex::Group> group(std::optional<platform::ByteRange> range) const {
    if (!range || range->length == 0) return std::nullopt;
    const auto widened = widen(*range);
    return ZvRegex::Group{text_->substr(widened.location, widened.length), widened};
  }

  ZvRegex::Match match(platform::RegexMatch result) const {
    ZvRegex::Match match;
    match.originalString = text_;
    match.range = widen(result.range);
    match.value = text_->substr(match.range.location, match.range.length);
    for (const auto& g : result.groups) {
      if (auto widened = group(g)) match.groups.push_back(std::move(*widened));
    }
    match.checkingResult = std::move(result);
    return match;
  }

 private:
  std::shared_ptr<const std::string> text_;
  std::shared_ptr<std::vector<std::size_t>> boundaries_;
};

}  // namespace

std::optional<ZvRegex::Group> ZvRegex::Match::group(std::string_view name) const {
  if (!originalString) return std::nullopt;
  const auto range = checkingResult.group(name);
  if (!range || range->length == 0) return std::nullopt;
  const auto widened = platform::rangeOfComposedCharacterSequences(*originalString, *range);
  return Group{originalString->substr(widened.location, widened.length), widened};
}

bool ZvRegex::Match::operator==(const Match& other) const {
  const bool sameText = originalString == other.originalString ||
                        (originalString && other.originalString && *originalString == *other.originalString);
  return sameText && checkingResult.range == other.checkingResult.range &&
         checkingResult.groups == other.checkingResult.groups && value == other.value && range == other.range &&
         groups == other.groups;
}

ZvRegex::ZvRegex(std::string_view pattern, platform::RegexOptions options)
    : regex_(platform::Regex::compile(pattern, options)) {}

ZvRegex ZvRegex::constant(std::string_view pattern, platform::RegexOptions options, std::source_location location) {
  try {
    return ZvRegex(pattern, options);
  } catch (const platform::RegexError& error) {
    fatalError(error.localizedDescription(), location);
  }
}

std::optional<ZvRegex::Match> ZvRegex::firstMatch(std::string_view text) const {
  auto result = regex_.firstMatch(text);
  if (!result) return std::nullopt;
  const CharacterWidener widener(std::make_shared<const std::string>(text));
  return widener.match(std::move(*result));
}

std::vector<ZvRegex::Match> ZvRegex::allMatches(std::string_view text) const {
  auto results = regex_.matches(text);
  std::vector<Match> matches;
  if (results.empty()) return matches;
  const CharacterWidener widener(std::make_shared<const std::string>(text));
  matches.reserve(results.size());
  for (auto& result : results) matches.push_back(widener.match(std::move(result)));
  return matches;
}

std::string replacingFirstMatch(std::string_view text, const ZvRegex& regex, std::string_view templ) {
  const auto match = regex.firstMatch(text);
  if (!match) return std::string(text);
  std::string out(text.substr(0, match->range.location));
  out.append(regex.regex().replacement(match->checkingResult, text, templ));
  out.append(text.substr(match->range.end()));
  return out;
}

std::string replacingMatches(std::string_view text, const ZvRegex& regex, std::string_view templ,
                             platform::MatchingOptions options) {
  return regex.regex().replacingMatches(text, templ, options);
}

std::string replacingFirstMatch(std::string_view text, std::string_view constantPattern, std::string_view templ) {
  return replacingFirstMatch(text, ZvRegex::constant(constantPattern), templ);
}

std::string replacingMatches(std::string_view text, std::string_view constantPattern, std::string_view templ,
                             platform::MatchingOptions options) {
  return replacingMatches(text, ZvRegex::constant(constantPattern), templ, options);
}

}  // namespace kit

namespace {

void combine(std::size_t& seed, std::size_t value) { kit::hashCombine(seed, value); }
void combine(std::size_t& seed, const platform::ByteRange& range) {
  combine(seed, range.location);
  combine(seed, range.end());
}

}  // namespace

std::size_t std::hash<kit::ZvRegex::Group>::operator()(const kit::ZvRegex::Group& group) const noexcept {
  std::size_t seed = std::hash<std::string>()(group.value);
  combine(seed, group.range);
  return seed;
}

std::size_t std::hash<kit::ZvRegex::Match>::operator()(const kit::ZvRegex::Match& match) const noexcept {
  std::size_t seed = match.originalString ? std::hash<std::string>()(*match.originalString) : 0;
  combine(seed, match.checkingResult.range);
  combine(seed, match.checkingResult.groups.size());
  for (const auto& group : match.checkingResult.groups) {
    if (group) combine(seed, *group);
  }
  combine(seed, std::hash<std::string>()(match.value));
  combine(seed, match.range);
  combine(seed, match.groups.size());
  for (const auto& group : match.groups) combine(seed, std::hash<kit::ZvRegex::Group>()(group));
  return seed;
}

std::size_t std::hash<kit::ZvRegex>::operator()(const kit::ZvRegex& regex) const noexcept {
  const platform::RegexOptions& o = regex.options();
  std::size_t seed = std::hash<std::string>()(regex.pattern());
  for (bool option :
       {o.caseInsensitive, o.allowCommentsAndWhitespace, o.ignoreMetacharacters, o.dotMatchesLineSeparators,
        o.anchorsMatchLines, o.useUnixLineSeparators, o.useUnicodeWordBoundaries})
    combine(seed, option);
  return seed;
}
