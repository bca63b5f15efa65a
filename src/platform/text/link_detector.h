#pragma once

#include <string_view>
#include <vector>

#include "platform/text/byte_range.h"
#include "platform/url/url.h"

namespace platform {

struct LinkMatch {
  ByteRange range;
  Url url;
};

// Finds link-like text, left to right and not overlapping: URLs with a scheme ("https://...", "mailto:..."),
// "www." hosts and bare domains with a real top-level domain followed by a path or query (both given
// "http://"), and e-mail addresses (given "mailto:"). A link stops at whitespace, quotes, angle brackets and
// a closing bracket that it did not open; trailing punctuation is left out. Conservative by design: a bare
// host without path ("file.txt", "e.g.") is no link.
std::vector<LinkMatch> detectLinks(std::string_view text);

// The ranges of the same links, without building their URLs: for callers that parse the text themselves.
// A range whose text cannot become a URL is still given.
std::vector<ByteRange> detectLinkRanges(std::string_view text);

// Whether `label` (ASCII, any case) is a top-level domain in the public suffix list.
bool isTopLevelDomain(std::string_view label);

}  // namespace platform
