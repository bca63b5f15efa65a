#include "kit/foundation/url_query.h"

#include <algorithm>
#include <functional>
#include <iterator>

#include "kit/foundation/fatal_error.h"
#include "platform/text/letters.h"

namespace kit {
namespace {

// New and changed items are written with "+" encoded too: a server that reads "+" as a space would
// otherwise change a value (a nested URL, for one) that holds a plus sign.
std::string encodedItem(const QueryItem& item) {
  const auto allowed = [](char32_t c) { return platform::isQueryItemAllowed(c) && c != '+'; };
  std::string out = platform::addingPercentEncoding(item.name, allowed);
  if (item.value) out.append("=").append(platform::addingPercentEncoding(*item.value, allowed));
  return out;
}

std::string encodedText(const QueryItem& encoded) {
  return encoded.value ? encoded.name + "=" + *encoded.value : encoded.name;
}

Url appendingEncodedItem(const Url& url, const std::string& encodedItemText) {
  UrlComponents components(url);
  std::string query = components.percentEncodedQuery().value_or("");
  if (!query.empty()) query.push_back('&');
  query.append(encodedItemText);
  if (!components.setPercentEncodedQuery(query)) return url;
  return components.url().value_or(url);
}

bool isAsciiUnreserved(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// One item per entry, its name and value encoded with every character `allowed` refuses.
std::vector<QueryItem> encodedItems(const std::map<std::string, std::string>& dictionary, bool (*allowed)(char32_t)) {
  std::vector<QueryItem> items;
  items.reserve(dictionary.size());
  for (const auto& [name, value] : dictionary) {
    items.push_back({platform::addingPercentEncoding(name, allowed), platform::addingPercentEncoding(value, allowed)});
  }
  return items;
}

}  // namespace

bool isUrlQueryValueAllowed(char32_t c) {
  if ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~') return true;
  return platform::isCasedLetter(c);
}

std::optional<QueryItem> firstItemNamed(const std::vector<QueryItem>& items, std::string_view name) {
  const auto it = std::find_if(items.begin(), items.end(), [&](const QueryItem& item) { return item.name == name; });
  if (it == items.end()) return std::nullopt;
  return *it;
}

std::vector<QueryItem> queryItems(const Url& url) {
  return UrlComponents::queryItems(url).value_or(std::vector<QueryItem>{});
}

std::optional<std::string> queryItemValue(const Url& url, std::string_view name) {
  const auto item = firstItemNamed(queryItems(url), name);
  return item ? item->value : std::nullopt;
}

Url appendingQueryItem(const Url& url, const QueryItem& item) { return appendingEncodedItem(url, encodedItem(item)); }

Url appendingQueryItems(const Url& url, const std::vector<std::string>& names, const Url& other) {
  // The copies keep the other URL's text byte for byte.
  const UrlComponents source(other);
  const auto decoded = source.queryItems().value_or(std::vector<QueryItem>{});
  const auto encoded = source.percentEncodedQueryItems().value_or(std::vector<QueryItem>{});
  Url result = url;
  for (std::size_t i = 0; i < decoded.size() && i < encoded.size(); ++i) {
    if (std::find(names.begin(), names.end(), decoded[i].name) != names.end()) {
      result = appendingEncodedItem(result, encodedText(encoded[i]));
    }
  }
  return result;
}

Url modifyingComponents(const Url& url, const std::function<void(UrlComponents&)>& edit) {
  UrlComponents edited(url);
  edit(edited);
  if (edited.parts() == url.parts()) return url;
  return std::move(edited).url().value_or(url);
}

Url settingScheme(const Url& url, std::optional<std::string> scheme) {
  return modifyingComponents(url, [&](UrlComponents& components) { components.setScheme(std::move(scheme)); });
}

namespace {

// The URL with `result` in place of its query `items`.
Url replacingQueryItems(const Url& url, const std::vector<QueryItem>& items, const std::vector<QueryItem>& result) {
  return modifyingComponents(url, [&](UrlComponents& components) {
    if (result.empty()) {
      components.setQueryItems(std::nullopt);
      return;
    }
    // A surviving item keeps its original text: re-encoding would turn "%2B" into "+" and the like.
    const auto encoded = components.percentEncodedQueryItems().value_or(std::vector<QueryItem>{});
    std::vector<bool> used(items.size(), false);
    std::string query;
    for (const auto& item : result) {
      if (!query.empty()) query.push_back('&');
      std::size_t partner = 0;
      while (partner < items.size() && (used[partner] || items[partner] != item)) ++partner;
      if (partner < items.size() && partner < encoded.size()) {
        used[partner] = true;
        query.append(encodedText(encoded[partner]));
      } else {
        query.append(encodedItem(item));
      }
    }
    components.setPercentEncodedQuery(query);
  });
}

}  // namespace

Url modifyingQueryItems(const Url& url,
                        const std::function<std::vector<QueryItem>(const std::vector<QueryItem>&)>& transform) {
  const auto items = UrlComponents::queryItems(url);
  if (!items) return url;
  const auto result = transform(*items);
  // A transform that changes nothing leaves the URL as it is.
  if (result == *items) return url;
  return replacingQueryItems(url, *items, result);
}

Url removingQueryItems(const Url& url, const std::function<bool(const QueryItem&)>& predicate) {
  return modifyingQueryItems(url, [&](const std::vector<QueryItem>& items) {
    std::vector<QueryItem> kept;
    kept.reserve(items.size());
    std::copy_if(items.begin(), items.end(), std::back_inserter(kept), std::not_fn(predicate));
    return kept;
  });
}

Url removingQueryItems(const Url& url, const std::unordered_set<std::string>& names) {
  return removingQueryItems(url, [&](const QueryItem& item) { return names.contains(item.name); });
}

std::string absoluteStringWithoutSchemeAndWWW(const Url& url) {
  std::string_view text = url.absoluteString();
  const auto scheme = url.scheme();
  if (!scheme) return std::string(text);
  if (text.starts_with(*scheme)) text.remove_prefix(scheme->size());
  if (text.starts_with("://")) text.remove_prefix(3);
  if (text.starts_with("www.")) text.remove_prefix(4);
  return std::string(text);
}

bool isValid(const Url& url) {
  if (url.isFileUrl()) return true;
  const auto host = url.host();  // none for an empty host too
  if (host && platform::isIpAddress(*host)) return true;
  if (!url.scheme()) return false;
  if (url.hasScheme("mailto")) return url.path().find('@') != std::string::npos;
  if (url.hasScheme("http") || url.hasScheme("https")) {
    if (!host) return false;
    if (host->find('.') == std::string::npos) return true;
    std::vector<std::string_view> labels;
    std::string_view rest = *host;
    while (true) {
      const auto dot = rest.find('.');
      labels.push_back(rest.substr(0, dot));
      if (dot == std::string_view::npos) break;
      rest.remove_prefix(dot + 1);
    }
    return labels.size() >= 2 && !labels.front().empty() && labels.back().size() >= 2;
  }
  return true;
}

std::vector<QueryItem> percentEncodedQueryItems(const std::map<std::string, std::string>& dictionary) {
  return encodedItems(dictionary, isUrlQueryValueAllowed);
}

std::optional<Url> urlWithQuery(std::string_view string, const std::map<std::string, std::string>& query) {
  auto components = UrlComponents::parse(string);
  if (!components) return std::nullopt;
  if (!components->setPercentEncodedQueryItems(encodedItems(query, isAsciiUnreserved))) return std::nullopt;
  return components->url();
}

std::map<std::string, std::optional<std::string>> dictionary(const std::vector<QueryItem>& items) {
  std::map<std::string, std::optional<std::string>> out;
  for (const auto& item : items) out[item.name] = item.value;
  return out;
}

Url urlLiteral(std::string_view text, std::source_location location) {
  auto url = Url::parse(text);
  if (!url) fatalError("Invalid URL literal: " + std::string(text), location);
  return *url;
}

}  // namespace kit
