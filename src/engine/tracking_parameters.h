#pragma once

// Cleaning a URL, layer by layer:
// - platform/url/url.h, percent_encoding.h: parsing (strict and lenient), components in their encoded form,
//   query items as written, percent encoding and the character set of each component.
// - kit/foundation/url_query.h: query-item editing that keeps untouched items byte for byte, removing items
//   by name or predicate, plausibility of a URL (isValid), building URLs from a query dictionary.
// - engine/url_utilities.h: host matching (a domain and its subdomains, "www."-less hosts), the strict parse
//   plus plausibility that nested and unwrapped URLs must pass.
// - engine/redirect_unwrapping.h: the target URL of known redirect and link-protection services.
// - this file: the tracking parameter list and exempt hosts, the per-site rules, cleaning of URLs nested in
//   query values, and cleaning the links found in plain text.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/text/link_detector.h"
#include "platform/url/url.h"

namespace engine {

using platform::QueryItem;
using platform::Url;

// The 129 query parameter names that only track, in their stored order; matched exactly.
const std::vector<std::string>& trackingParameterNames();
// Hosts (and their subdomains) whose URLs are never changed.
const std::unordered_set<std::string>& hostsExemptFromTrackingRemoval();

// Unwraps a redirect, drops the tracking parameters, then applies the per-site rules.
Url removingTrackingParameters(const Url& url);
// The step every caller uses: URLs without query items or on an exempt host stay as they are; others are
// cleaned, and URLs in their query values are cleaned one level deep.
Url removingTrackingParametersUnlessExempt(const Url& url);
// Each value that is itself a plausible URL that cleaning changes becomes the cleaned URL's text.
std::vector<QueryItem> cleanNestedURLsInQueryItems(const std::vector<QueryItem>& items);
// The URL with the URLs in its query values cleaned.
Url modifyingQueryItemsCleaningNestedURLs(const Url& url);

// The text with every detected link that cleaning changes replaced by the cleaned URL's text. A link that
// does not parse as written is left alone, and nothing else in the text changes.
std::string removingTrackingParametersFromURLs(std::string_view text, const std::vector<platform::LinkMatch>& matches);
std::string removingTrackingParametersFromURLs(std::string_view text, const std::vector<platform::ByteRange>& ranges);
std::string removingTrackingParametersFromURLs(std::string_view text);

// The cleaned URLs, in order: what the automation's "Remove Tracking Parameters from URLs" gives back.
std::vector<Url> removingTrackingParametersFromURLList(const std::vector<Url>& urls);

// True when the item's name is not one of `names`.
std::function<bool(const QueryItem&)> queryItemNameNotIn(std::unordered_set<std::string> names);
// Cuts a path from its first "ref=" to its end.
Url removingRefPathSuffix(const Url& url);

}  // namespace engine
