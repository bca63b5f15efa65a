#include "engine/url_utilities.h"

#include <algorithm>

#include "kit/foundation/text_checking.h"
#include "kit/foundation/url_query.h"
#include "platform/core/ascii.h"
#include "platform/text/grapheme.h"

namespace engine {

namespace {

std::optional<std::string> lowercasedHost(const Url& url) {
  const auto host = url.host();
  if (!host) return std::nullopt;
  return platform::asciiLowercased(*host);
}

bool isDomainOrSubdomain(const std::optional<std::string>& host, std::string_view domain) {
  if (!host) return false;
  if (*host == domain) return true;
  return host->size() > domain.size() && host->ends_with(domain) && (*host)[host->size() - domain.size() - 1] == '.';
}

}  // namespace

bool hostIsDomainOrSubdomain(const Url& url, std::string_view domain) {
  return isDomainOrSubdomain(lowercasedHost(url), domain);
}

std::function<bool(const std::string&)> hostMatches(const Url& url) {
  return [host = lowercasedHost(url)](const std::string& domain) { return isDomainOrSubdomain(host, domain); };
}

std::optional<std::string> hostWithoutWWW(const Url& url) {
  auto host = url.host();
  if (!host) return std::nullopt;
  if (platform::startsWithIgnoringAsciiCase(*host, "www.")) host->erase(0, 4);
  return host;
}

std::optional<Url> validatedUrl(std::string_view text) {
  auto url = Url::parseStrict(text);
  if (!url || !kit::isValid(*url)) return std::nullopt;
  return url;
}

std::string replacingCharacters(std::string_view text, std::string_view a, std::string_view replacementForA,
                                std::string_view b, std::string_view replacementForB) {
  std::string out;
  out.reserve(text.size());
  for (const auto character : platform::graphemes(text)) {
    if (character == a) {
      out.append(replacementForA);
    } else if (character == b) {
      out.append(replacementForB);
    } else {
      out.append(character);
    }
  }
  return out;
}

bool containsItemNamed(const std::optional<std::vector<QueryItem>>& items, std::string_view name) {
  return items && kit::firstItemNamed(*items, name).has_value();
}

bool hasNonWhitespace(std::string_view text) { return !kit::isEmptyOrWhitespaceOrNewline(text); }

}  // namespace engine
