#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Decides per Unicode scalar whether it may stay as it is.
using CharacterPredicate = std::function<bool(char32_t)>;

// Every scalar the predicate refuses is written as %XX per UTF-8 byte (uppercase hex); invalid UTF-8
// bytes are encoded one by one.
std::string addingPercentEncoding(std::string_view text, const CharacterPredicate& allowed);
// Nothing on a bad escape or when the decoded bytes are not valid UTF-8.
std::optional<std::string> removingPercentEncoding(std::string_view text);
// The decoded bytes, valid UTF-8 or not; nothing on a bad escape.
std::optional<std::string> percentDecodedBytes(std::string_view text);

// Character sets of URL components (RFC 3986).
bool isUnreserved(char32_t c);
bool isSubDelimiter(char32_t c);
bool isUrlPathAllowed(char32_t c);      // unreserved, sub-delimiters, ":", "@", "/"
bool isUrlQueryAllowed(char32_t c);     // the path set and "?"
bool isUrlFragmentAllowed(char32_t c);  // the same as the query set
bool isUrlHostAllowed(char32_t c);      // unreserved, sub-delimiters
bool isUrlUserAllowed(char32_t c);      // unreserved, sub-delimiters
bool isUrlPasswordAllowed(char32_t c);  // unreserved, sub-delimiters, ":"
// The query set without "&" and "=": what a query item's name or value may hold unencoded.
bool isQueryItemAllowed(char32_t c);

}  // namespace platform
