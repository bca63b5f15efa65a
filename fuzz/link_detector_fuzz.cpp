// Runs the link detector and the tracking-parameter removal over any bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/tracking_parameters.h"
#include "platform/text/grapheme.h"
#include "platform/text/link_detector.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto links = platform::detectLinks(text);
  std::size_t previousEnd = 0;
  for (const auto& link : links) {
    // In the text, left to right, not overlapping, never empty.
    if (link.range.location < previousEnd || link.range.length == 0 || link.range.end() > text.size()) std::abort();
    previousEnd = link.range.end();
  }
  // Widening to whole characters in a window of the text agrees with the boundaries of the whole text.
  const auto boundaries = platform::graphemeBoundaries(text);
  for (const auto& link : links) {
    const auto widened = platform::rangeOfComposedCharacterSequences(text, link.range);
    const auto start = *(std::upper_bound(boundaries.begin(), boundaries.end(), link.range.location) - 1);
    const auto end = *std::lower_bound(boundaries.begin(), boundaries.end(), link.range.end());
    if (widened.location != start || widened.end() != end) std::abort();
  }
  const auto cleaned = engine::removingTrackingParametersFromURLs(text, links);
  if (links.empty() && cleaned != text) std::abort();
  return 0;
}
