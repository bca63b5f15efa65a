// Parses any bytes as a URL, edits its query and cleans it, and resolves a reference against a base; checks the
// invariants callers rely on.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/tracking_parameters.h"
#include "kit/foundation/url_query.h"
#include "platform/url/url.h"

namespace {
void require(bool condition) {
  if (!condition) std::abort();
}

bool hasDotSegment(std::string_view path) {
  while (!path.empty()) {
    const auto segment = path.substr(0, path.find('/'));
    if (segment == "." || segment == "..") return true;
    path.remove_prefix(std::min(path.size(), segment.size() + 1));
  }
  return false;
}

// The first line is a base URL and the rest a reference, as a page's <base href> and a link on it.
void checkResolution(std::string_view text) {
  const auto newline = text.find('\n');
  if (newline == std::string_view::npos) return;
  const auto base = platform::Url::parse(text.substr(0, newline));
  if (!base) return;
  const auto reference = text.substr(newline + 1);
  const auto resolved = platform::Url::resolve(reference, *base);
  if (!resolved) return;
  require(platform::Url::parseStrict(resolved->absoluteString()).has_value());
  // A reference with a path leaves none of its "." and ".." segments (one without keeps the base's path).
  const auto parsedReference = platform::Url::parse(reference);
  if (parsedReference && !parsedReference->parts().path.empty()) require(!hasDotSegment(resolved->parts().path));
  // What an absolute base resolves to resolves to itself, once no dot segment is left (a reference without a path
  // keeps the base's as it is).
  if (base->scheme() && !hasDotSegment(resolved->parts().path)) {
    const auto again = platform::Url::resolve(resolved->absoluteString(), *base);
    require(again && *again == *resolved);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::removingPercentEncoding(text);
  checkResolution(text);

  const auto strict = platform::Url::parseStrict(text);
  const auto lenient = platform::Url::parse(text);
  if (strict) {
    // What parses strictly parses leniently to the same URL.
    require(lenient && *lenient == *strict);
    require(strict->absoluteString() == text);
  }
  if (lenient) {
    // The lenient parse's text is a URL as written.
    const auto again = platform::Url::parseStrict(lenient->absoluteString());
    require(again && again->parts() == lenient->parts());

    const auto& url = *lenient;
    url.pathComponents();
    url.deletingLastPathComponent();
    url.host();
    kit::isValid(url);
    kit::absoluteStringWithoutSchemeAndWWW(url);
    // Removing nothing gives the URL itself, whatever its text.
    require(kit::removingQueryItems(url, std::unordered_set<std::string>{}) == url);

    platform::UrlComponents components(url);
    const auto items = components.queryItems();
    components.setQueryItems(items);
    components.url();

    const auto cleaned = engine::removingTrackingParametersUnlessExempt(url);
    require(platform::Url::parseStrict(cleaned.absoluteString()).has_value());
  }
  return 0;
}
