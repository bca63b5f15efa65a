#include "platform/text/icu_regex.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "platform/text/utf16_map.h"
#include "platform/text/utf8.h"

namespace platform {

struct Regex::Compiled {
  std::unique_ptr<icu::RegexPattern> pattern;
  std::shared_ptr<const std::map<std::string, std::size_t>> names;
  std::size_t groupCount = 0;
};

namespace {

uint32_t icuFlags(const RegexOptions& options) {
  uint32_t flags = 0;
  if (options.caseInsensitive) flags |= UREGEX_CASE_INSENSITIVE;
  if (options.allowCommentsAndWhitespace) flags |= UREGEX_COMMENTS;
  if (options.ignoreMetacharacters) flags |= UREGEX_LITERAL;
  if (options.dotMatchesLineSeparators) flags |= UREGEX_DOTALL;
  if (options.anchorsMatchLines) flags |= UREGEX_MULTILINE;
  if (options.useUnixLineSeparators) flags |= UREGEX_UNIX_LINES;
  if (options.useUnicodeWordBoundaries) flags |= UREGEX_UWORD;
  return flags;
}

// Group names as written in the pattern: "(?<name>". ICU validates them while compiling.
std::map<std::string, std::size_t> groupNames(const icu::RegexPattern& compiled, std::string_view pattern) {
  std::map<std::string, std::size_t> names;
  for (std::size_t i = 0; i + 3 < pattern.size(); ++i) {
    if (pattern[i] == '\\') {
      ++i;
      continue;
    }
    if (!pattern.substr(i).starts_with("(?<") || pattern[i + 3] == '=' || pattern[i + 3] == '!') continue;
    const auto close = pattern.find('>', i + 3);
    if (close == std::string_view::npos) continue;
    const std::string name(pattern.substr(i + 3, close - i - 3));
    UErrorCode status = U_ZERO_ERROR;
    const int32_t number = compiled.groupNumberFromName(name.c_str(), static_cast<int32_t>(name.size()), status);
    if (U_SUCCESS(status) && number > 0) names.emplace(name, static_cast<std::size_t>(number));
  }
  return names;
}

}  // namespace

std::optional<ByteRange> RegexMatch::group(std::size_t number) const {
  if (number == 0) return range;
  if (number > groups.size()) return std::nullopt;
  return groups[number - 1];
}

std::optional<ByteRange> RegexMatch::group(std::string_view name) const {
  if (!groupNames) return std::nullopt;
  const auto it = groupNames->find(std::string(name));
  if (it == groupNames->end()) return std::nullopt;
  return group(it->second);
}

Regex Regex::compile(std::string_view pattern, RegexOptions options) {
  const std::u16string utf16 = toUtf16(pattern);
  const icu::UnicodeString source(false, utf16.data(), static_cast<int32_t>(utf16.size()));
  UParseError parseError{};
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexPattern> compiled(
      icu::RegexPattern::compile(source, icuFlags(options), parseError, status));
  if (U_FAILURE(status) || !compiled) {
    throw RegexError("Invalid regular expression: " + std::string(u_errorName(status)) + " at offset " +
                     std::to_string(parseError.offset) + " in \"" + std::string(pattern) + "\"");
  }
  auto state = std::make_shared<Compiled>();
  state->names = std::make_shared<const std::map<std::string, std::size_t>>(groupNames(*compiled, pattern));
  {
    UErrorCode countStatus = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(countStatus));
    state->groupCount = (U_SUCCESS(countStatus) && matcher) ? static_cast<std::size_t>(matcher->groupCount()) : 0;
  }
  state->pattern = std::move(compiled);
  Regex regex;
  regex.pattern_ = std::string(pattern);
  regex.options_ = options;
  regex.compiled_ = std::move(state);
  return regex;
}

std::size_t Regex::groupCount() const { return compiled_->groupCount; }

namespace {

std::vector<RegexMatch> runMatches(const Regex::Compiled& compiled, std::string_view text, MatchingOptions options,
                                   std::optional<ByteRange> range, std::optional<std::size_t> limit) {
  std::vector<RegexMatch> out;
  const Utf16Map map(text);
  const icu::UnicodeString subject(false, map.utf16().data(), static_cast<int32_t>(map.utf16().size()));
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> matcher(compiled.pattern->matcher(subject, status));
  if (U_FAILURE(status) || !matcher) return out;
  if (range) {
    const auto start = map.utf16Offset(std::min(range->location, text.size()));
    const auto end = map.utf16Offset(std::min(range->end(), text.size()));
    if (!start || !end || *start > *end) return out;
    matcher->region(static_cast<int64_t>(*start), static_cast<int64_t>(*end), status);
    if (U_FAILURE(status)) return out;
  }
  matcher->useTransparentBounds(options.withTransparentBounds);
  matcher->useAnchoringBounds(!options.withoutAnchoringBounds);
  // Where an anchored match must begin.
  int64_t position = matcher->regionStart64();
  const auto toBytes = [&](int32_t start, int32_t end) {
    return ByteRange::fromBounds(map.utf8OffsetRoundingDown(static_cast<std::size_t>(start)),
                                 map.utf8OffsetRoundingUp(static_cast<std::size_t>(end)));
  };
  while (matcher->find(status) && U_SUCCESS(status)) {
    if (options.anchored && matcher->start64(status) != position) break;
    position = matcher->end64(status);
    RegexMatch match;
    match.range = toBytes(matcher->start(status), matcher->end(status));
    const int32_t count = matcher->groupCount();
    match.groups.reserve(static_cast<std::size_t>(count));
    for (int32_t g = 1; g <= count; ++g) {
      const int32_t start = matcher->start(g, status);
      if (start < 0) {
        match.groups.emplace_back();
      } else {
        match.groups.emplace_back(toBytes(start, matcher->end(g, status)));
      }
    }
    match.groupNames = compiled.names;
    out.push_back(std::move(match));
    if (limit && out.size() >= *limit) break;
  }
  return out;
}

}  // namespace

std::vector<RegexMatch> Regex::matches(std::string_view text, MatchingOptions options,
                                       std::optional<ByteRange> range) const {
  return runMatches(*compiled_, text, options, range, std::nullopt);
}

std::optional<RegexMatch> Regex::firstMatch(std::string_view text, MatchingOptions options,
                                            std::optional<ByteRange> range) const {
  auto found = runMatches(*compiled_, text, options, range, 1);
  if (found.empty()) return std::nullopt;
  return std::move(found.front());
}

std::string Regex::replacement(const RegexMatch& match, std::string_view text, std::string_view templ) const {
  std::string out;
  for (std::size_t i = 0; i < templ.size(); ++i) {
    const char c = templ[i];
    if (c == '\\' && i + 1 < templ.size()) {
      out.push_back(templ[++i]);
      continue;
    }
    if (c == '$' && i + 1 < templ.size() && templ[i + 1] >= '0' && templ[i + 1] <= '9') {
      std::size_t number = static_cast<std::size_t>(templ[++i] - '0');
      while (i + 1 < templ.size() && templ[i + 1] >= '0' && templ[i + 1] <= '9') {
        const std::size_t longer = number * 10 + static_cast<std::size_t>(templ[i + 1] - '0');
        if (longer > match.groups.size()) break;
        number = longer;
        ++i;
      }
      if (const auto group = match.group(number)) out.append(text.substr(group->location, group->length));
      continue;
    }
    out.push_back(c);
  }
  return out;
}

std::string Regex::replacingMatches(std::string_view text, std::string_view templ, MatchingOptions options,
                                    std::optional<std::size_t> max) const {
  if (max && *max == 0) return std::string(text);
  const auto found = runMatches(*compiled_, text, options, std::nullopt, max);
  if (found.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t position = 0;
  for (const auto& match : found) {
    out.append(text.substr(position, match.range.location - position));
    out.append(replacement(match, text, templ));
    position = match.range.end();
  }
  out.append(text.substr(position));
  return out;
}

std::string Regex::escapedPattern(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
      case '*':
      case '?':
      case '+':
      case '[':
      case '(':
      case ')':
      case '{':
      case '}':
      case '^':
      case '$':
      case '|':
      case '.':
      case '/':
        out.push_back('\\');
        break;
      default:
        break;
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace platform
