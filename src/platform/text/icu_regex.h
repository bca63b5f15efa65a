#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/error.h"
#include "platform/text/byte_range.h"

namespace platform {

struct RegexOptions {
  bool caseInsensitive = false;
  bool allowCommentsAndWhitespace = false;
  bool ignoreMetacharacters = false;
  bool dotMatchesLineSeparators = false;
  bool anchorsMatchLines = false;
  bool useUnixLineSeparators = false;
  bool useUnicodeWordBoundaries = false;

  bool operator==(const RegexOptions&) const = default;
};

// How a search treats the range it is given.
struct MatchingOptions {
  // Each match must begin where the search stands: the first at the start of the range, each later one where the
  // one before it ended.
  bool anchored = false;
  // Lookahead, lookbehind and word boundaries see the text beyond the range.
  bool withTransparentBounds = false;
  // "^" and "$" do not match at the range's bounds, only where the text itself starts, ends or breaks a line.
  bool withoutAnchoringBounds = false;

  bool operator==(const MatchingOptions&) const = default;
};

// A pattern that does not compile.
class RegexError final : public Error {
 public:
  explicit RegexError(std::string message) : message_(std::move(message)) {}
  std::string domain() const override { return "NSCocoaErrorDomain"; }
  int64_t code() const override { return 2048; }
  std::optional<std::string> errorDescription() const override { return message_; }
  std::string typeOrCaseName() const override { return "RegexError"; }

 private:
  std::string message_;
};

// One match: byte ranges into the searched text, widened to whole scalars.
struct RegexMatch {
  ByteRange range;
  // Index 0 is group 1. Absent: the group did not take part in the match.
  std::vector<std::optional<ByteRange>> groups;
  std::shared_ptr<const std::map<std::string, std::size_t>> groupNames;  // name -> group number

  // A group by number (0 = the whole match).
  std::optional<ByteRange> group(std::size_t number) const;
  // A named group; a name the pattern does not have gives nothing, never an error.
  std::optional<ByteRange> group(std::string_view name) const;
};

// A compiled ICU regular expression. Immutable; copies share the compiled pattern and may be used from
// any thread.
class Regex {
 public:
  // Throws RegexError("Invalid regular expression: ...") when the pattern does not compile.
  static Regex compile(std::string_view pattern, RegexOptions options = {});

  const std::string& pattern() const { return pattern_; }
  const RegexOptions& options() const { return options_; }
  std::size_t groupCount() const;

  // Matches left to right, not overlapping. `range` limits the search to part of the text.
  std::vector<RegexMatch> matches(std::string_view text, MatchingOptions options = {},
                                  std::optional<ByteRange> range = std::nullopt) const;
  std::optional<RegexMatch> firstMatch(std::string_view text, MatchingOptions options = {},
                                       std::optional<ByteRange> range = std::nullopt) const;
  bool isMatched(std::string_view text) const { return firstMatch(text).has_value(); }

  // Replaces matches (all, or the first `max`) by the template: "$n" inserts group n (as many digits as
  // name an existing group; a group that does not exist or took no part inserts nothing), "\" makes the
  // next character literal.
  std::string replacingMatches(std::string_view text, std::string_view templ, MatchingOptions options = {},
                               std::optional<std::size_t> max = std::nullopt) const;
  // The expansion of a template for one match of `text`.
  std::string replacement(const RegexMatch& match, std::string_view text, std::string_view templ) const;

  // The pattern that matches `text` literally.
  static std::string escapedPattern(std::string_view text);

  bool operator==(const Regex& other) const { return pattern_ == other.pattern_ && options_ == other.options_; }

  struct Compiled;

 private:
  Regex() = default;
  std::string pattern_;
  RegexOptions options_;
  std::shared_ptr<const Compiled> compiled_;
};

}  // namespace platform
