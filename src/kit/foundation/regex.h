#pragma once

#include <memory>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/byte_range.h"
#include "platform/text/icu_regex.h"

namespace kit {

// A compiled regular expression whose matches are cut at whole characters (grapheme clusters).
class ZvRegex {
 public:
  struct Group {
    std::string value;
    platform::ByteRange range;
    bool operator==(const Group&) const = default;
  };

  struct Match {
    std::shared_ptr<const std::string> originalString;
    platform::RegexMatch checkingResult;
    std::string value;
    platform::ByteRange range;
    // The groups that took part with non-empty text, in group order (so the index is not the group number).
    std::vector<Group> groups;

    // A named group widened to whole characters; nothing when it is unknown, took no part or is empty.
    std::optional<Group> group(std::string_view name) const;
    bool operator==(const Match& other) const;
  };

  // Throws platform::RegexError when the pattern does not compile.
  explicit ZvRegex(std::string_view pattern, platform::RegexOptions options = {});
  explicit ZvRegex(platform::Regex regex) : regex_(std::move(regex)) {}
  // A pattern written into the program: one that does not compile stops the program at the caller's line.
  static ZvRegex constant(std::string_view pattern, platform::RegexOptions options = {},
                          std::source_location location = std::source_location::current());

  const std::string& pattern() const { return regex_.pattern(); }
  const platform::RegexOptions& options() const { return regex_.options(); }
  const platform::Regex& regex() const { return regex_; }

  bool isMatched(std::string_view text) const { return regex_.isMatched(text); }
  std::optional<Match> firstMatch(std::string_view text) const;
  std::vector<Match> allMatches(std::string_view text) const;

  static std::string escapedPattern(std::string_view text) { return platform::Regex::escapedPattern(text); }

  bool operator==(const ZvRegex& other) const { return regex_ == other.regex_; }

 private:
  platform::Regex regex_;
};

// The text with only its first match replaced by the expanded template ("$n", "\" escapes).
std::string replacingFirstMatch(std::string_view text, const ZvRegex& regex, std::string_view templ);
// The text with every match replaced by the expanded template.
std::string replacingMatches(std::string_view text, const ZvRegex& regex, std::string_view templ,
                             platform::MatchingOptions options = {});
// The same with a pattern written into the program, compiled at each call: one that does not compile stops the
// program here.
std::string replacingFirstMatch(std::string_view text, std::string_view constantPattern, std::string_view templ);
std::string replacingMatches(std::string_view text, std::string_view constantPattern, std::string_view templ,
                             platform::MatchingOptions options = {});

}  // namespace kit

// Hashing over the same members that equality compares, in the same order.
template <>
struct std::hash<kit::ZvRegex::Group> {
  std::size_t operator()(const kit::ZvRegex::Group& group) const noexcept;
};
template <>
struct std::hash<kit::ZvRegex::Match> {
  std::size_t operator()(const kit::ZvRegex::Match& match) const noexcept;
};
template <>
struct std::hash<kit::ZvRegex> {
  std::size_t operator()(const kit::ZvRegex& regex) const noexcept;
};
