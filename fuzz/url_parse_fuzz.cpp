// Parses any bytes as a URL, edits its query and cleans it; checks the invariants callers rely on.
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
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::removingPercentEncoding(text);

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
