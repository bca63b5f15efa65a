#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/url/url.h"

namespace engine {

using platform::QueryItem;
using platform::Url;

// The host, lower-cased, equals the domain or ends with "." and the domain. False without a host.
bool hostIsDomainOrSubdomain(const Url& url, std::string_view domain);
// The same test as a predicate over domains, for walking a set of them.
std::function<bool(const std::string&)> hostMatches(const Url& url);
// The host with one leading "www." (any case) removed; the rest keeps its case. Nothing without a host.
std::optional<std::string> hostWithoutWWW(const Url& url);

// Strict parsing (a string with invalid characters gives nothing) accepted only when the URL is plausible.
std::optional<Url> validatedUrl(std::string_view text);

// The characters of the text, each equal to `a` or `b` replaced by its replacement, joined.
std::string replacingCharacters(std::string_view text, std::string_view a, std::string_view replacementForA,
                                std::string_view b, std::string_view replacementForB);

bool containsItemNamed(const std::optional<std::vector<QueryItem>>& items, std::string_view name);

// At least one character that is not whitespace.
bool hasNonWhitespace(std::string_view text);

}  // namespace engine
