#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/url/percent_encoding.h"

namespace platform {

struct QueryItem {
  std::string name;
  std::optional<std::string> value;
  bool operator==(const QueryItem&) const = default;
};

// The components of a URL in their percent-encoded form, exactly as written.
struct UrlParts {
  std::optional<std::string> scheme;
  std::optional<std::string> user;
  std::optional<std::string> password;
  std::optional<std::string> host;  // present when the URL has an authority ("//"); an IPv6 literal keeps its brackets
  std::optional<std::string> port;  // the digits as written
  std::string path;
  std::optional<std::string> query;
  std::optional<std::string> fragment;

  // scheme ":" ["//" authority] path ["?" query] ["#" fragment]
  std::string text() const;
  bool operator==(const UrlParts&) const = default;
};

// An absolute URL or a relative reference (RFC 3986). Our URLs never have a base: a string without a scheme
// stays a relative reference ("www.x.com/?a=1" has the path "www.x.com/" and no host).
class Url {
 public:
  // Lenient: percent-encodes every character a URL cannot hold (space, non-ASCII, `<>"{}|\^` and backquote,
  // a "%" without two hex digits); fails only on an empty string, a bad port or a bad IP literal.
  static std::optional<Url> parse(std::string_view text);
  // Strict: fails on any character a URL cannot hold.
  static std::optional<Url> parseStrict(std::string_view text);
  // A reference (parsed leniently) resolved against a base URL.
  static std::optional<Url> resolve(std::string_view reference, const Url& base);
  static std::optional<Url> fileUrl(const std::filesystem::path& path);
  // The URL rebuilt from encoded components; nothing when they cannot form a URL.
  static std::optional<Url> fromParts(UrlParts parts);

  // The text as parsed (after encoding, for the lenient parse), or as rebuilt from components.
  const std::string& absoluteString() const { return state_->text; }
  const UrlParts& parts() const {
    if (const UrlParts* parts = state_->parts.load(std::memory_order_acquire)) return *parts;
    return splitParts();
  }

  std::optional<std::string> scheme() const { return parts().scheme; }
  // Whether the scheme is `scheme`, in any ASCII case ("HTTPS" is "https").
  bool hasScheme(std::string_view scheme) const;
  std::optional<std::string> user() const;
  std::optional<std::string> password() const;
  // Percent-decoded; an IPv6 literal without brackets; nothing for no or an empty host.
  std::optional<std::string> host() const;
  std::optional<int> port() const;
  // Percent-decoded (as written when it does not decode).
  std::string path() const;
  // Percent-encoded, as written.
  std::optional<std::string> query() const { return parts().query; }
  std::optional<std::string> fragment() const { return parts().fragment; }

  bool isFileUrl() const;
  // "/" first for an absolute path; repeated slashes collapse; a trailing slash adds nothing; decoded.
  std::vector<std::string> pathComponents() const;
  std::string lastPathComponent() const;
  // Drops the last path component and keeps a trailing "/": ".../a/b" and ".../a/b/" give ".../a/".
  Url deletingLastPathComponent() const;

  bool operator==(const Url& other) const { return absoluteString() == other.absoluteString(); }

 private:
  // A URL never changes once made, so copies share one state: links are copied with every run of text they
  // cover. Parsing only checks the text; its components are split out when first asked for, as most URLs
  // found in text are never asked.
  struct State {
    State(std::string text, std::unique_ptr<const UrlParts> parts) : text(std::move(text)), parts(parts.release()) {}
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() { delete parts.load(); }

    const std::string text;
    mutable std::atomic<const UrlParts*> parts;  // owned; none until first asked for
  };

  explicit Url(std::string text, std::unique_ptr<const UrlParts> parts = nullptr)
      : state_(std::make_shared<const State>(std::move(text), std::move(parts))) {}
  const UrlParts& splitParts() const;

  std::shared_ptr<const State> state_;
};

// Editable components of a URL, kept in percent-encoded form. Setters of decoded values encode them with the
// component's character set; setters of encoded values refuse characters outside it.
class UrlComponents {
 public:
  UrlComponents() = default;
  explicit UrlComponents(const Url& url) : parts_(url.parts()) {}
  // Strict: nothing for a string that is no URL.
  static std::optional<UrlComponents> parse(std::string_view text);

  std::optional<Url> url() const& { return Url::fromParts(parts_); }
  std::optional<Url> url() && { return Url::fromParts(std::move(parts_)); }
  const UrlParts& parts() const { return parts_; }

  std::optional<std::string> scheme() const { return parts_.scheme; }
  std::optional<std::string> user() const;
  std::optional<std::string> password() const;
  std::optional<std::string> host() const;
  std::optional<int> port() const;
  std::string path() const;
  std::optional<std::string> query() const;
  std::optional<std::string> fragment() const;

  std::optional<std::string> percentEncodedUser() const { return parts_.user; }
  std::optional<std::string> percentEncodedPassword() const { return parts_.password; }
  std::optional<std::string> percentEncodedHost() const { return parts_.host; }
  const std::string& percentEncodedPath() const { return parts_.path; }
  std::optional<std::string> percentEncodedQuery() const { return parts_.query; }
  std::optional<std::string> percentEncodedFragment() const { return parts_.fragment; }

  // false (nothing changed) for a scheme that is not `ALPHA *(ALPHA / DIGIT / "+" / "-" / ".")`.
  bool setScheme(std::optional<std::string> scheme);
  void setUser(std::optional<std::string> user);
  void setPassword(std::optional<std::string> password);
  void setHost(std::optional<std::string> host);
  void setPort(std::optional<int> port);
  void setPath(std::string_view path);
  void setQuery(std::optional<std::string> query);
  void setFragment(std::optional<std::string> fragment);
  bool setPercentEncodedHost(std::optional<std::string> host);
  bool setPercentEncodedPath(std::string path);
  bool setPercentEncodedQuery(std::optional<std::string> query);
  bool setPercentEncodedFragment(std::optional<std::string> fragment);

  // Split on "&", each at its first "="; decoded where they hold "%" ("+" is not a space); a value that does
  // not decode is none. Nothing when there is no query.
  std::optional<std::vector<QueryItem>> queryItems() const;
  // The same items of a URL's query, without copying its other components.
  static std::optional<std::vector<QueryItem>> queryItems(const Url& url);
  // None removes the query; an empty list leaves "?"; names and values are encoded for a query item.
  void setQueryItems(const std::optional<std::vector<QueryItem>>& items);
  std::optional<std::vector<QueryItem>> percentEncodedQueryItems() const;
  // false (nothing changed) when a name or value holds a character that a query item cannot hold.
  bool setPercentEncodedQueryItems(const std::optional<std::vector<QueryItem>>& items);

  bool operator==(const UrlComponents& other) const { return parts_ == other.parts_; }

 private:
  static std::optional<std::vector<QueryItem>> queryItems(const std::optional<std::string>& query);
  static std::optional<std::vector<QueryItem>> percentEncodedQueryItems(const std::optional<std::string>& query);

  UrlParts parts_;
};

// The encoded form of one query item: "name" or "name=value".
std::string encodedQueryItem(const QueryItem& item);
// A name or value encoded for a query: the query set without "&" and "=".
std::string percentEncodedQueryComponent(std::string_view text);

// True for a dotted IPv4 address or an IPv6 address (brackets and a "%zone" suffix allowed).
bool isIpAddress(std::string_view host);

}  // namespace platform

// Hashed by what equality compares: the absolute text.
template <>
struct std::hash<platform::Url> {
  std::size_t operator()(const platform::Url& url) const noexcept {
    return std::hash<std::string>()(url.absoluteString());
  }
};
