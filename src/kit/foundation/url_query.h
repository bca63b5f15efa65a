#pragma once

#include <functional>
#include <map>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/url/url.h"

namespace kit {

using platform::QueryItem;
using platform::Url;
using platform::UrlComponents;

// Characters a query name or value built by the kit keeps as they are: Unicode lowercase and uppercase
// letters, ASCII digits and "-", ".", "_", "~".
bool isUrlQueryValueAllowed(char32_t c);

// The first item with exactly this name (case-sensitive), if any.
std::optional<QueryItem> firstItemNamed(const std::vector<QueryItem>& items, std::string_view name);

// The URL's decoded query items; empty when it has no query.
std::vector<QueryItem> queryItems(const Url& url);
// The value of the first item with exactly this name; nothing when there is none or it has no value.
std::optional<std::string> queryItemValue(const Url& url, std::string_view name);
// The item after the existing ones, which keep their text.
Url appendingQueryItem(const Url& url, const QueryItem& item);
// Every item of `other` whose name is in `names`, in `other`'s order, appended one by one as written there.
Url appendingQueryItems(const Url& url, const std::vector<std::string>& names, const Url& other);

// Edits the components; when they come out equal the URL itself is returned, never a rebuilt text.
Url modifyingComponents(const Url& url, const std::function<void(UrlComponents&)>& edit);
Url settingScheme(const Url& url, std::optional<std::string> scheme);
// Replaces the query items by the transform's result. Not called without a query; an equal result gives
// the URL itself; an empty result removes the query ("?" included). Items that survive keep their encoded
// text byte for byte; only new or changed items are encoded, "&", "=", "+", "#" and "%" included.
Url modifyingQueryItems(const Url& url,
                        const std::function<std::vector<QueryItem>(const std::vector<QueryItem>&)>& transform);
Url removingQueryItems(const Url& url, const std::function<bool(const QueryItem&)>& predicate);
Url removingQueryItems(const Url& url, const std::unordered_set<std::string>& names);

// The absolute string without its scheme, then "://", then "www.".
std::string absoluteStringWithoutSchemeAndWWW(const Url& url);
// A plausibility test: file URLs and IP hosts pass; "mailto" needs "@" in its path; "http(s)" needs a host
// with a dot-separated last label of two or more characters (or a single label); other schemes pass.
bool isValid(const Url& url);

// A URL from a string and query values, each byte outside ASCII letters, digits and "-._~" encoded.
// Nothing when the string is no URL.
std::optional<Url> urlWithQuery(std::string_view string, const std::map<std::string, std::string>& query);
// One item per entry, name and value encoded with isUrlQueryValueAllowed.
std::vector<QueryItem> percentEncodedQueryItems(const std::map<std::string, std::string>& dictionary);
// Name to value; a later item of the same name wins.
std::map<std::string, std::optional<std::string>> dictionary(const std::vector<QueryItem>& items);

// A URL written into the program: one that does not parse stops the program.
Url urlLiteral(std::string_view text, std::source_location location = std::source_location::current());

}  // namespace kit
