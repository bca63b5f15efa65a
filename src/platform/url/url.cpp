#include "platform/url/url.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/core/ascii.h"
#include "platform/core/byte_blocks.h"

namespace platform {
namespace {

// Characters no URL holds: controls, space, DEL, non-ASCII and `<>"{}|\^` with backquote.
constexpr std::array<bool, 256> invalidUrlBytes = [] {
  std::array<bool, 256> invalid{};
  for (std::size_t c = 0; c < invalid.size(); ++c) invalid[c] = c <= 0x20 || c >= 0x7F;
  for (unsigned char c : std::string_view("<>\"{}|\\^`")) invalid[c] = true;
  return invalid;
}();

bool isInvalidUrlByte(unsigned char c) { return invalidUrlBytes[c]; }

// The first byte at or after `from` that no URL holds or that is "%" (which must start an escape); the size when
// there is none.
std::size_t nextByteForCloserLook(std::string_view text, std::size_t from) {
  std::size_t i = skipBlocksWithout<AlsoStopAt::controlsSpaceAndNonAscii, '\x7F', '<', '>', '"', '{', '}', '|', '\\',
                                    '^', '`', '%'>(text, from);
  while (i < text.size() && !invalidUrlBytes[static_cast<unsigned char>(text[i])] && text[i] != '%') ++i;
  return i;
}

bool hasBadEscape(std::string_view text, std::size_t percent) {
  return percent + 2 >= text.size() || !isHexDigit(text[percent + 1]) || !isHexDigit(text[percent + 2]);
}

bool isValidScheme(std::string_view scheme) {
  if (scheme.empty() || !isAsciiLetter(scheme[0])) return false;
  return std::all_of(scheme.begin(), scheme.end(),
                     [](char c) { return isAsciiLetter(c) || isAsciiDigit(c) || c == '+' || c == '-' || c == '.'; });
}

bool isValidPort(std::string_view port) {
  if (port.empty()) return true;
  if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  return std::stoi(std::string(port)) <= 65535;
}

bool isValidIpLiteral(std::string_view literal) {
  // literal is "[...]"
  const std::string_view inner = literal.substr(1, literal.size() - 2);
  if (!inner.empty() && (inner[0] == 'v' || inner[0] == 'V')) {
    const auto dot = inner.find('.');
    return dot != std::string_view::npos && dot > 1 && dot + 1 < inner.size();
  }
  return isIpAddress(inner);
}

// The first of the delimiters in the text, or npos.
template <char... delimiters>
std::size_t findFirstOf(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (((text[i] == delimiters) || ...)) return i;
  }
  return std::string_view::npos;
}

// The scheme that a URL's text starts with, without its ":"; none when the text has none.
std::optional<std::string_view> schemeOf(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  const auto candidate = text.substr(0, colon);
  if (findFirstOf<'/', '?', '#'>(candidate) != std::string_view::npos || !isValidScheme(candidate)) return std::nullopt;
  return candidate;
}

// Splits a string that holds only characters a URL may hold into `parts` (empty), or only checks it when there
// are none to fill; false when it is no URL.
bool split(std::string_view text, UrlParts* parts) {
  if (text.empty()) return false;
  std::string_view rest = text;
  if (const auto scheme = schemeOf(rest)) {
    if (parts) parts->scheme = std::string(*scheme);
    rest.remove_prefix(scheme->size() + 1);
  }
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const auto authorityEnd = findFirstOf<'/', '?', '#'>(rest);
    std::string_view authority = rest.substr(0, authorityEnd);
    rest.remove_prefix(authority.size());
    const auto at = authority.rfind('@');
    if (at != std::string_view::npos) {
      const auto userInfo = authority.substr(0, at);
      const auto separator = userInfo.find(':');
      if (parts) {
        parts->user = std::string(userInfo.substr(0, separator));
        if (separator != std::string_view::npos) parts->password = std::string(userInfo.substr(separator + 1));
      }
      authority.remove_prefix(at + 1);
    }
    std::string_view host;
    if (!authority.empty() && authority[0] == '[') {
      const auto close = authority.find(']');
      if (close == std::string_view::npos) return false;
      host = authority.substr(0, close + 1);
      if (!isValidIpLiteral(host)) return false;
      authority.remove_prefix(close + 1);
      if (!authority.empty() && authority[0] != ':') return false;
    } else {
      host = authority.substr(0, authority.find(':'));
      if (findFirstOf<'[', ']'>(host) != std::string_view::npos) return false;
      authority.remove_prefix(host.size());
    }
    if (parts) parts->host = std::string(host);
    if (!authority.empty()) {  // ":" port
      const auto port = authority.substr(1);
      if (!isValidPort(port)) return false;
      if (parts && !port.empty()) parts->port = std::string(port);
    }
  }
  if (!parts) return true;  // what follows the authority cannot fail
  const auto pathEnd = findFirstOf<'?', '#'>(rest);
  parts->path = std::string(rest.substr(0, pathEnd));
  rest.remove_prefix(parts->path.size());
  if (!rest.empty() && rest[0] == '?') {
    const auto queryEnd = rest.find('#');
    parts->query =
        std::string(rest.substr(1, queryEnd == std::string_view::npos ? std::string_view::npos : queryEnd - 1));
    rest.remove_prefix(parts->query->size() + 1);
  }
  if (!rest.empty() && rest[0] == '#') parts->fragment = std::string(rest.substr(1));
  return true;
}

std::string decodedOrRaw(const std::string& encoded) {
  if (encoded.find('%') == std::string::npos) return encoded;  // nothing to decode, whether valid or not
  auto decoded = removingPercentEncoding(encoded);
  if (decoded) return std::move(*decoded);
  return encoded;
}

std::optional<std::string> decodedOrRaw(const std::optional<std::string>& encoded) {
  if (!encoded) return std::nullopt;
  return decodedOrRaw(*encoded);
}

bool onlyAllowed(std::string_view text, bool (*allowed)(char32_t)) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '%') {
      if (hasBadEscape(text, i)) return false;
      i += 2;
    } else if (c >= 0x80 || !allowed(c)) {
      return false;
    }
  }
  return true;
}

// RFC 3986 section 5.2.4. The input is only ever shortened at its front and the output at its back, each by what
// is taken away, so the work grows with the length of the path.
std::string removingDotSegments(std::string_view input) {
  std::string output;
  output.reserve(input.size());
  auto removeLastSegment = [&output] {
    const auto last = output.rfind('/');
    output.erase(last == std::string::npos ? 0 : last);
  };
  while (!input.empty()) {
    if (input.starts_with("../")) {
      input.remove_prefix(3);
    } else if (input.starts_with("./") || input.starts_with("/./")) {
      input.remove_prefix(2);
    } else if (input == "/.") {
      input = "/";
    } else if (input.starts_with("/../")) {
      input.remove_prefix(3);
      removeLastSegment();
    } else if (input == "/..") {
      input = "/";
      removeLastSegment();
    } else if (input == "." || input == "..") {
      input = {};
    } else {
      const auto next = std::min(input.find('/', input[0] == '/' ? 1 : 0), input.size());
      output.append(input.substr(0, next));
      input.remove_prefix(next);
    }
  }
  return output;
}

}  // namespace

std::string UrlParts::text() const {
  std::string out;
  if (scheme) out.append(*scheme).push_back(':');
  if (host) {
    out.append("//");
    if (user || password) {
      out.append(user.value_or(""));
      if (password) out.append(":").append(*password);
      out.push_back('@');
    }
    out.append(*host);
    if (port) out.append(":").append(*port);
  }
  out.append(path);
  if (query) out.append("?").append(*query);
  if (fragment) out.append("#").append(*fragment);
  return out;
}

std::optional<Url> Url::parseStrict(std::string_view text) {
  for (std::size_t i = nextByteForCloserLook(text, 0); i < text.size(); i = nextByteForCloserLook(text, i + 1)) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (isInvalidUrlByte(c) || (c == '%' && hasBadEscape(text, i))) return std::nullopt;
  }
  if (!split(text, nullptr)) return std::nullopt;
  return Url(std::string(text));
}

std::optional<Url> Url::parse(std::string_view text) {
  auto needsEncoding = [&](std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    return isInvalidUrlByte(c) || (c == '%' && hasBadEscape(text, i));
  };
  std::size_t clean = nextByteForCloserLook(text, 0);
  while (clean < text.size() && !needsEncoding(clean)) clean = nextByteForCloserLook(text, clean + 1);
  if (clean == text.size()) {
    if (!split(text, nullptr)) return std::nullopt;
    return Url(std::string(text));
  }
  std::string encoded;
  encoded.reserve(text.size() + 16);
  encoded.append(text.substr(0, clean));
  for (std::size_t i = clean; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (needsEncoding(i)) {
      static constexpr char hex[] = "0123456789ABCDEF";
      encoded.push_back('%');
      encoded.push_back(hex[c >> 4]);
      encoded.push_back(hex[c & 0x0F]);
    } else {
      encoded.push_back(static_cast<char>(c));
    }
  }
  if (!split(encoded, nullptr)) return std::nullopt;
  return Url(std::move(encoded));
}

std::optional<Url> Url::fromParts(UrlParts parts) {
  if (parts.scheme && !isValidScheme(*parts.scheme)) return std::nullopt;
  // port() reads the digits back as a number: only what the parser would keep gets that far.
  if (parts.port && (parts.port->empty() || !isValidPort(*parts.port))) return std::nullopt;
  if (parts.host) {
    if (!parts.path.empty() && parts.path[0] != '/') return std::nullopt;
  } else {
    if (parts.path.starts_with("//")) return std::nullopt;
    if (parts.user || parts.password || parts.port) return std::nullopt;
    if (!parts.scheme) {
      // A first segment with ":" would read as a scheme.
      const auto segment = std::string_view(parts.path).substr(0, parts.path.find('/'));
      if (segment.find(':') != std::string_view::npos) return std::nullopt;
    }
  }
  std::string text = parts.text();
  if (text.empty()) return std::nullopt;
  return Url(std::move(text), std::make_unique<const UrlParts>(std::move(parts)));
}

const UrlParts& Url::splitParts() const {
  // The threads that share a URL and ask at once each split it; the first to publish its parts has them kept.
  auto parts = std::make_unique<UrlParts>();
  split(state_->text, parts.get());
  const UrlParts* published = nullptr;
  if (!state_->parts.compare_exchange_strong(published, parts.get(), std::memory_order_acq_rel,
                                             std::memory_order_acquire)) {
    return *published;
  }
  return *parts.release();
}

std::optional<Url> Url::resolve(std::string_view reference, const Url& base) {
  if (reference.empty()) {
    UrlParts withoutFragment = base.parts();
    withoutFragment.fragment.reset();
    return fromParts(withoutFragment);
  }
  const auto parsed = parse(reference);
  if (!parsed) return std::nullopt;
  const UrlParts& r = parsed->parts();
  const UrlParts& b = base.parts();
  UrlParts t;
  if (r.scheme) {
    t = r;
    t.path = removingDotSegments(r.path);
  } else {
    if (r.host) {
      t = r;
      t.path = removingDotSegments(r.path);
    } else {
      t.user = b.user;
      t.password = b.password;
      t.host = b.host;
      t.port = b.port;
      if (r.path.empty()) {
        t.path = b.path;
        t.query = r.query ? r.query : b.query;
      } else {
        if (r.path[0] == '/') {
          t.path = removingDotSegments(r.path);
        } else {
          std::string merged;
          if (b.host && b.path.empty()) {
            merged = "/" + r.path;
          } else {
            const auto slash = b.path.rfind('/');
            merged = (slash == std::string::npos ? std::string() : b.path.substr(0, slash + 1)) + r.path;
          }
          t.path = removingDotSegments(merged);
        }
        t.query = r.query;
      }
    }
    t.scheme = b.scheme;
  }
  t.fragment = r.fragment;
  return fromParts(std::move(t));
}

std::optional<Url> Url::fileUrl(const std::filesystem::path& path) {
  std::error_code error;
  const auto absolute = std::filesystem::absolute(path, error);
  if (error) return std::nullopt;
  return parseStrict("file://" + addingPercentEncoding(absolute.string(), isUrlPathAllowed));
}

std::optional<std::string> Url::user() const { return decodedOrRaw(parts().user); }
std::optional<std::string> Url::password() const { return decodedOrRaw(parts().password); }

std::optional<std::string> Url::host() const {
  if (!parts().host || parts().host->empty()) return std::nullopt;
  const std::string& host = *parts().host;
  if (host.front() == '[') return host.substr(1, host.size() - 2);
  return decodedOrRaw(host);
}

std::optional<int> Url::port() const {
  if (!parts().port) return std::nullopt;
  return std::stoi(*parts().port);
}

std::string Url::path() const { return decodedOrRaw(parts().path); }

bool Url::hasScheme(std::string_view scheme) const {
  // Read from the text: splitting it would keep every part of the URL for as long as the URL lives.
  const auto own = schemeOf(absoluteString());
  return own && equalsIgnoringAsciiCase(*own, scheme);
}

bool Url::isFileUrl() const { return hasScheme("file"); }

std::vector<std::string> Url::pathComponents() const {
  const std::string decoded = path();
  std::vector<std::string> components;
  if (decoded.empty()) return components;
  if (decoded[0] == '/') components.emplace_back("/");
  std::size_t position = 0;
  while (position < decoded.size()) {
    const auto next = decoded.find('/', position);
    const auto end = next == std::string::npos ? decoded.size() : next;
    if (end > position) components.push_back(decoded.substr(position, end - position));
    position = end + 1;
  }
  return components;
}

std::string Url::lastPathComponent() const {
  // The last of pathComponents(): the last segment that is not empty, else "/" for an absolute path.
  const std::string decoded = path();
  const auto end = decoded.find_last_not_of('/');
  if (end == std::string::npos) return decoded.empty() ? std::string() : std::string("/");
  const auto start = decoded.rfind('/', end);
  return decoded.substr(start == std::string::npos ? 0 : start + 1,
                        end + 1 - (start == std::string::npos ? 0 : start + 1));
}

Url Url::deletingLastPathComponent() const {
  std::string_view path = parts().path;
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path.empty() || path == "/") return *this;
  const auto slash = path.rfind('/');
  UrlParts edited = parts();
  edited.path = slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
  if (edited.path.empty() && !parts().host) edited.path = "./";
  auto rebuilt = fromParts(std::move(edited));
  return rebuilt ? *rebuilt : *this;
}

std::optional<UrlComponents> UrlComponents::parse(std::string_view text) {
  auto url = Url::parseStrict(text);
  if (!url) return std::nullopt;
  return UrlComponents(*url);
}

std::optional<std::string> UrlComponents::user() const { return decodedOrRaw(parts_.user); }
std::optional<std::string> UrlComponents::password() const { return decodedOrRaw(parts_.password); }
std::optional<std::string> UrlComponents::host() const {
  if (!parts_.host) return std::nullopt;
  const std::string& host = *parts_.host;
  if (!host.empty() && host.front() == '[') return host.substr(1, host.size() - 2);
  return decodedOrRaw(host);
}
std::optional<int> UrlComponents::port() const {
  if (!parts_.port) return std::nullopt;
  return std::stoi(*parts_.port);
}
std::string UrlComponents::path() const { return decodedOrRaw(parts_.path); }
std::optional<std::string> UrlComponents::query() const { return decodedOrRaw(parts_.query); }
std::optional<std::string> UrlComponents::fragment() const { return decodedOrRaw(parts_.fragment); }

bool UrlComponents::setScheme(std::optional<std::string> scheme) {
  if (scheme && !isValidScheme(*scheme)) return false;
  parts_.scheme = std::move(scheme);
  return true;
}

void UrlComponents::setUser(std::optional<std::string> user) {
  parts_.user = user ? std::optional(addingPercentEncoding(*user, isUrlUserAllowed)) : std::nullopt;
}

void UrlComponents::setPassword(std::optional<std::string> password) {
  parts_.password = password ? std::optional(addingPercentEncoding(*password, isUrlPasswordAllowed)) : std::nullopt;
}

void UrlComponents::setHost(std::optional<std::string> host) {
  if (host && host->find(':') != std::string::npos && isIpAddress(*host)) {
    parts_.host = "[" + *host + "]";
    return;
  }
  parts_.host = host ? std::optional(addingPercentEncoding(*host, isUrlHostAllowed)) : std::nullopt;
}

void UrlComponents::setPort(std::optional<int> port) {
  parts_.port = port && *port >= 0 ? std::optional(std::to_string(*port)) : std::nullopt;
}

void UrlComponents::setPath(std::string_view path) { parts_.path = addingPercentEncoding(path, isUrlPathAllowed); }

void UrlComponents::setQuery(std::optional<std::string> query) {
  parts_.query = query ? std::optional(addingPercentEncoding(*query, isUrlQueryAllowed)) : std::nullopt;
}

void UrlComponents::setFragment(std::optional<std::string> fragment) {
  parts_.fragment = fragment ? std::optional(addingPercentEncoding(*fragment, isUrlFragmentAllowed)) : std::nullopt;
}

bool UrlComponents::setPercentEncodedHost(std::optional<std::string> host) {
  if (host && !host->empty() && host->front() == '[') {
    if (host->back() != ']' || !isValidIpLiteral(*host)) return false;
  } else if (host && !onlyAllowed(*host, isUrlHostAllowed)) {
    return false;
  }
  parts_.host = std::move(host);
  return true;
}

bool UrlComponents::setPercentEncodedPath(std::string path) {
  if (!onlyAllowed(path, isUrlPathAllowed)) return false;
  parts_.path = std::move(path);
  return true;
}

bool UrlComponents::setPercentEncodedQuery(std::optional<std::string> query) {
  if (query && !onlyAllowed(*query, isUrlQueryAllowed)) return false;
  parts_.query = std::move(query);
  return true;
}

bool UrlComponents::setPercentEncodedFragment(std::optional<std::string> fragment) {
  if (fragment && !onlyAllowed(*fragment, isUrlFragmentAllowed)) return false;
  parts_.fragment = std::move(fragment);
  return true;
}

std::optional<std::vector<QueryItem>> UrlComponents::percentEncodedQueryItems() const {
  return percentEncodedQueryItems(parts_.query);
}

std::optional<std::vector<QueryItem>> UrlComponents::percentEncodedQueryItems(
    const std::optional<std::string>& encoded) {
  if (!encoded) return std::nullopt;
  std::vector<QueryItem> items;
  const std::string_view query = *encoded;
  if (query.empty()) return items;
  std::size_t position = 0;
  while (true) {
    const auto amp = query.find('&', position);
    const auto segment =
        query.substr(position, amp == std::string_view::npos ? std::string_view::npos : amp - position);
    const auto equals = segment.find('=');
    if (equals == std::string_view::npos) {
      items.push_back({std::string(segment), std::nullopt});
    } else {
      items.push_back({std::string(segment.substr(0, equals)), std::string(segment.substr(equals + 1))});
    }
    if (amp == std::string_view::npos) break;
    position = amp + 1;
  }
  return items;
}

std::optional<std::vector<QueryItem>> UrlComponents::queryItems() const { return queryItems(parts_.query); }

std::optional<std::vector<QueryItem>> UrlComponents::queryItems(const Url& url) {
  return queryItems(url.parts().query);
}

std::optional<std::vector<QueryItem>> UrlComponents::queryItems(const std::optional<std::string>& query) {
  auto items = percentEncodedQueryItems(query);
  if (!items) return std::nullopt;
  for (auto& item : *items) {
    if (item.name.find('%') != std::string::npos) item.name = decodedOrRaw(item.name);
    if (item.value && item.value->find('%') != std::string::npos) item.value = removingPercentEncoding(*item.value);
  }
  return items;
}

std::string percentEncodedQueryComponent(std::string_view text) {
  return addingPercentEncoding(text, isQueryItemAllowed);
}

std::string encodedQueryItem(const QueryItem& item) {
  std::string out = percentEncodedQueryComponent(item.name);
  if (item.value) out.append("=").append(percentEncodedQueryComponent(*item.value));
  return out;
}

void UrlComponents::setQueryItems(const std::optional<std::vector<QueryItem>>& items) {
  if (!items) {
    parts_.query.reset();
    return;
  }
  std::string query;
  for (std::size_t i = 0; i < items->size(); ++i) {
    if (i > 0) query.push_back('&');
    query.append(encodedQueryItem((*items)[i]));
  }
  parts_.query = std::move(query);
}

bool UrlComponents::setPercentEncodedQueryItems(const std::optional<std::vector<QueryItem>>& items) {
  if (!items) {
    parts_.query.reset();
    return true;
  }
  std::string query;
  for (std::size_t i = 0; i < items->size(); ++i) {
    const auto& item = (*items)[i];
    if (!onlyAllowed(item.name, isQueryItemAllowed) || (item.value && !onlyAllowed(*item.value, isQueryItemAllowed))) {
      return false;
    }
    if (i > 0) query.push_back('&');
    query.append(item.name);
    if (item.value) query.append("=").append(*item.value);
  }
  parts_.query = std::move(query);
  return true;
}

bool isIpAddress(std::string_view host) {
  std::string text(host);
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
  unsigned char buffer[sizeof(struct in6_addr)];
  if (inet_pton(AF_INET, text.c_str(), buffer) == 1) return true;
  const auto zone = text.find('%');
  if (zone != std::string::npos) {
    if (zone + 1 >= text.size()) return false;
    text.erase(zone);
  }
  return inet_pton(AF_INET6, text.c_str(), buffer) == 1;
}

}  // namespace platform
