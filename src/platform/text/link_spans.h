#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/text/attributed_string.h"

namespace platform {

// A link a reader found over a range of the text it read, with its target as written in the document.
struct LinkSpan {
  std::size_t begin;
  std::size_t end;
  std::string target;
};

// Gives the text the links whose target `makeUrl` turns into a URL. Outer links first, so that a nested link
// wins for its own text; in text order, so that each link only splits the end of the runs.
template <class MakeUrl>
void setLinks(AttributedString& text, std::vector<LinkSpan>& links, MakeUrl&& makeUrl) {
  const auto before = [](const LinkSpan& a, const LinkSpan& b) {
    return a.begin != b.begin ? a.begin < b.begin : a.end > b.end;
  };
  // Readers mostly find links in that order already.
  if (!std::is_sorted(links.begin(), links.end(), before)) std::stable_sort(links.begin(), links.end(), before);
  // Each link splits at most two runs; grown one by one, the runs of a long text could take twice their room.
  text.reserveRuns(2 * links.size());
  for (const LinkSpan& link : links) {
    if (std::optional<Url> url = makeUrl(link.target)) {
      text.setLink(ByteRange::fromBounds(link.begin, link.end), url);
    }
  }
}

}  // namespace platform
