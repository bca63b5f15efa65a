#pragma once

#include <string>
#include <string_view>

#include "platform/text/attributed_string.h"
#include "platform/text/icu_regex.h"

namespace engine {

// The characters and only the link attributes of `text`, each link over the same range.
platform::AttributedString removingAllAttributesExceptLinks(const platform::AttributedString& text);

// Cleans the URL of every link attribute, then the URLs written in the text (from the last to the first).
void removeTrackingParametersFromLinks(platform::AttributedString& text);
void removeTrackingParametersFromLinkAttributes(platform::AttributedString& text);

// A bulleted line: any indentation, one of the bullet characters, whitespace, the rest of the line.
// Groups "indent" and "value"; "^" matches at the start of every line.
const platform::Regex& unorderedListItemRegex();
// The indentation, "- ", and the value of one match of unorderedListItemRegex() in `text`.
std::string normalizedListItem(const platform::RegexMatch& match, std::string_view text);
std::string normalizingUnorderedLists(std::string_view text);
void normalizeUnorderedLists(platform::AttributedString& text);

// Removes the trailing run of whitespace characters (grapheme clusters whose first scalar is whitespace), with
// trimSuffix (trimming.h) on the characters.
void trimTrailingWhitespace(platform::AttributedString& text);
// trimTrailingWhitespace, then trimPrefix with the same test.
void trimWhitespace(platform::AttributedString& text);

}  // namespace engine
