#include "engine/redirect_unwrapping.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "engine/url_utilities.h"
#include "kit/foundation/regex.h"
#include "kit/foundation/url_query.h"
#include "platform/core/ascii.h"
#include "platform/text/grapheme.h"

namespace engine {
namespace {

using platform::Url;
using platform::UrlComponents;

constexpr std::string_view videoDomain = "youtube.com";
constexpr std::string_view videoMobileHost = "m.youtube.com";
constexpr std::array<std::string_view, 2> videoShortHosts = {"youtu.be", "m.youtu.be"};
constexpr std::string_view socialDomain = "facebook.com";
constexpr std::array<std::string_view, 2> socialLinkShimHosts = {"l.facebook.com", "lm.facebook.com"};
constexpr std::array<std::string_view, 3> microBloggingNames = {"x.com", "twitter.com", "fxtwitter.com"};
constexpr std::string_view designToolDomain = "figma.com";
constexpr std::string_view searchEngineLabel = "google.";
constexpr std::string_view mailProtectorHost = "safelinks.protection.outlook.com";
constexpr std::array<std::string_view, 5> mailProtectorProxyDomains = {".mcas.ms", ".mcas-gov.us", ".mcas-gov.ms",
                                                                       ".rs-mcas.ms", ".mcas-df.ms"};
constexpr std::string_view cloudProxyHost = "mcas-proxyweb.mcas.ms";
constexpr std::string_view cloudProxyFirstLabel = "mcas-proxyweb";
constexpr std::string_view officeContentDomain = ".cdn.office.net";
constexpr std::string_view gatewayLinkProtectHost = "linkprotect.cudasvc.com";
constexpr std::array<std::string_view, 2> urlDefenseHosts = {"urldefense.proofpoint.com", "urldefense.com"};
constexpr std::string_view clickTrackerHost = "click.pstmrk.it";
constexpr std::string_view musicLinkHost = "song.link";

const kit::ZvRegex& musicLinkRegex() {
  static const auto regex = kit::ZvRegex::constant(
      "https?://" + kit::ZvRegex::escapedPattern(musicLinkHost) + R"(/(?<url>https://\S+))", {.caseInsensitive = true});
  return regex;
}

const kit::ZvRegex& clickTrackerRegex() {
  static const auto regex = kit::ZvRegex::constant(R"(\/2sm\/(?<url>[^\/]+?)\/)");
  return regex;
}

// The value of the first item of that name; an item without a value counts as missing.
std::optional<std::string> firstValue(const Url& url, std::string_view name) {
  const auto item = kit::firstItemNamed(kit::queryItems(url), name);
  return item ? item->value : std::nullopt;
}

std::optional<Url> gated(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  return validatedUrl(*text);
}

std::optional<Url> plain(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  return Url::parseStrict(*text);
}

template <std::size_t N>
bool isOneOf(const std::optional<std::string>& value, const std::array<std::string_view, N>& candidates) {
  return value && std::find(candidates.begin(), candidates.end(), *value) != candidates.end();
}

std::optional<std::string> secondPathComponent(const Url& url) {
  const auto components = url.pathComponents();
  if (components.size() < 2) return std::nullopt;
  return components[1];
}

std::optional<Url> mobileVideoHost(const Url& url) {
  UrlComponents components(url);
  components.setHost(std::string(videoDomain));
  return components.url().value_or(url);
}

std::optional<Url> shortVideoLink(const Url& url, const std::optional<std::string>& host) {
  if (!isOneOf(host, videoShortHosts)) return std::nullopt;
  const auto videoId = secondPathComponent(url);
  if (!videoId) return std::nullopt;
  UrlComponents components;
  components.setScheme("https");
  components.setHost(std::string(videoDomain));
  components.setPath("/watch");
  auto watch = components.url();
  if (!watch) return std::nullopt;
  return kit::appendingQueryItems(kit::appendingQueryItem(*watch, {"v", *videoId}), {"t"}, url);
}

std::optional<Url> messengerLinkPage(const Url& url, const std::string& address) {
  static const std::string messengerPage = std::string(socialDomain) + "/messenger/desktop/archonUrl";
  if (!platform::hasCharacterPrefix(address, messengerPage)) return std::nullopt;
  return gated(firstValue(url, "url"));
}

std::optional<Url> socialLinkShim(const Url& url, const std::optional<std::string>& host, const std::string& address) {
  const bool shim = isOneOf(host, socialLinkShimHosts);
  static const std::string warningPage = std::string(socialDomain) + "/flx/warn";
  const bool warning = host && host->ends_with(socialDomain) && address.find(warningPage) != std::string::npos;
  if (!shim && !warning) return std::nullopt;
  return gated(firstValue(url, "u"));
}

std::optional<Url> microBloggingRedirect(const Url& url, const std::string& address) {
  static const auto redirectPages = [] {
    std::array<std::string, microBloggingNames.size()> pages;
    for (std::size_t i = 0; i < pages.size(); ++i) pages[i] = std::string(microBloggingNames[i]) + "/i/redirect";
    return pages;
  }();
  for (const auto& page : redirectPages) {
    if (platform::hasCharacterPrefix(address, page)) return gated(firstValue(url, "url"));
  }
  return std::nullopt;
}

std::optional<Url> designToolExit(const Url& url, const std::string& address) {
  static const std::string exitPage = std::string(designToolDomain) + "/exit";
  if (!platform::hasCharacterPrefix(address, exitPage)) return std::nullopt;
  return gated(firstValue(url, "url"));
}

std::optional<Url> searchResultRedirect(const Url& url, const std::optional<std::string>& host) {
  if (!host || !host->starts_with(searchEngineLabel) || secondPathComponent(url) != "url") return std::nullopt;
  if (auto target = gated(firstValue(url, "url"))) return target;
  return gated(firstValue(url, "q"));
}

std::optional<Url> mailLinkProtector(const Url& url, const std::optional<std::string>& host) {
  static const auto proxiedHosts = [] {
    std::array<std::string, mailProtectorProxyDomains.size()> hosts;
    for (std::size_t i = 0; i < hosts.size(); ++i) {
      hosts[i] = std::string(mailProtectorHost) + std::string(mailProtectorProxyDomains[i]);
    }
    return hosts;
  }();
  if (!host) return std::nullopt;
  const bool matches = host->ends_with(mailProtectorHost) ||
                       std::any_of(proxiedHosts.begin(), proxiedHosts.end(),
                                   [&](const std::string& proxied) { return host->ends_with(proxied); });
  if (!matches) return std::nullopt;
  return plain(firstValue(url, "url"));
}

std::optional<Url> cloudSecurityProxy(const Url& url, const std::optional<std::string>& host) {
  static const std::string cloudProxyPrefix = std::string(cloudProxyFirstLabel) + ".";
  if (!host ||
      !(host->ends_with(cloudProxyHost) || host->starts_with(cloudProxyPrefix) || *host == cloudProxyFirstLabel)) {
    return std::nullopt;
  }
  return plain(firstValue(url, "originalUrl"));
}

std::optional<Url> officeContentLinkProtector(const Url& url, const std::optional<std::string>& host) {
  if (!host || !host->ends_with(officeContentDomain) || url.path().find("/safelinks/") == std::string::npos) {
    return std::nullopt;
  }
  return plain(kit::queryItemValue(url, "url"));
}

std::optional<Url> gatewayLinkProtector(const Url& url, const std::optional<std::string>& host) {
  if (host != gatewayLinkProtectHost) return std::nullopt;
  return plain(kit::queryItemValue(url, "a"));
}

std::optional<Url> urlDefense(const Url& url) {
  static const auto pages = [] {
    std::array<std::string, urlDefenseHosts.size()> made;
    for (std::size_t i = 0; i < made.size(); ++i) made[i] = "https://" + std::string(urlDefenseHosts[i]) + "/v2/url";
    return made;
  }();
  const auto& text = url.absoluteString();
  const bool matches =
      std::any_of(pages.begin(), pages.end(), [&](const std::string& page) { return text.starts_with(page); });
  if (!matches) return std::nullopt;
  const auto value = kit::queryItemValue(url, "u");
  if (!value) return std::nullopt;
  const auto decoded = platform::removingPercentEncoding(replacingCharacters(*value, "-", "%", "_", "/"));
  return plain(decoded);
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
           return platform::asciiLowercased(a) == platform::asciiLowercased(b);
         }) != text.end();
}

std::optional<Url> musicLinkPage(const Url& url) {
  if (!containsIgnoringCase(url.absoluteString(), musicLinkHost)) return std::nullopt;
  const auto match = musicLinkRegex().firstMatch(url.absoluteString());
  if (!match) return std::nullopt;
  const auto target = match->group("url");
  if (!target) return std::nullopt;
  return validatedUrl(target->value);
}

std::optional<Url> clickTracker(const Url& url, const std::optional<std::string>& host) {
  if (host != clickTrackerHost || secondPathComponent(url) != "2sm") return std::nullopt;
  const auto match = clickTrackerRegex().firstMatch(url.absoluteString());
  if (!match) return std::nullopt;
  const auto segment = match->group("url");
  if (!segment) return std::nullopt;
  const auto decoded = platform::removingPercentEncoding(segment->value);
  if (!decoded) return std::nullopt;
  return validatedUrl("https://" + *decoded);
}

}  // namespace

Url unwrappingRedirect(const Url& url) {
  const auto host = url.host();
  if (host == videoMobileHost) return *mobileVideoHost(url);
  if (auto target = shortVideoLink(url, host)) return *target;

  const std::string address = kit::absoluteStringWithoutSchemeAndWWW(url);
  const auto bareHost = hostWithoutWWW(url);
  const std::optional<Url> target = [&]() -> std::optional<Url> {
    if (auto found = messengerLinkPage(url, address)) return found;
    if (auto found = socialLinkShim(url, host, address)) return found;
    if (auto found = microBloggingRedirect(url, address)) return found;
    if (auto found = designToolExit(url, address)) return found;
    if (auto found = searchResultRedirect(url, bareHost)) return found;
    if (auto found = mailLinkProtector(url, bareHost)) return found;
    if (auto found = cloudSecurityProxy(url, bareHost)) return found;
    if (auto found = officeContentLinkProtector(url, bareHost)) return found;
    if (auto found = gatewayLinkProtector(url, bareHost)) return found;
    if (auto found = urlDefense(url)) return found;
    if (auto found = musicLinkPage(url)) return found;
    return clickTracker(url, host);
  }();
  return target.value_or(url);
}

}  // namespace engine
