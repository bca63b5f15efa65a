#include "engine/ruled_sites.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <string_view>

#include "platform/core/ascii.h"

namespace engine {
namespace {

// What the rules and exemptions of redirect_unwrapping.cpp and tracking_parameters.cpp look for in a host (or in the
// address of a reference without one), lower-cased: each host they take holds one of these. Keep it in step.
constexpr std::array<std::string_view, 20> ruledHostParts = {
    "okta.com",    "auth0.com",   "youtu",   "facebook.com", "x.com",       "twitter.com", "figma.com",
    "google.",     "outlook.com", "mcas",    "office.net",   "cudasvc.com", "urldefense",  "pstmrk.it",
    "spotify.com", "ebay.",       "amazon.", "audible.",     "nytimes.com", "tiktok.com"};
constexpr std::string_view musicLinkHost = "song.link";

constexpr std::size_t windowSize = 4;

std::uint32_t lowercasedWindowAt(std::string_view text, std::size_t at) {
  std::uint32_t window = 0;
  for (std::size_t i = 0; i < windowSize; ++i) {
    window = window << 8 | static_cast<unsigned char>(platform::asciiLowercased(text[at + i]));
  }
  return window;
}

std::size_t bucketOf(std::uint32_t window) { return (window * 0x9E3779B1u) >> 20; }

// The first four characters of each ruled part, hashed into 4096 buckets: a host none of whose runs of four
// characters falls into a marked bucket holds no ruled part.
const std::bitset<4096>& ruledWindows() {
  static const std::bitset<4096> windows = [] {
    std::bitset<4096> marked;
    for (const std::string_view part : ruledHostParts) marked.set(bucketOf(lowercasedWindowAt(part, 0)));
    return marked;
  }();
  return windows;
}

bool mayHoldRuledPart(std::string_view host) {
  if (host.find('%') != std::string_view::npos) return true;  // the rules read the host decoded
  if (host.size() < windowSize) return false;
  const auto& windows = ruledWindows();
  std::uint32_t window = lowercasedWindowAt(host, 0);
  for (std::size_t next = windowSize;; ++next) {
    if (windows[bucketOf(window)]) return true;
    if (next == host.size()) return false;
    window = window << 8 | static_cast<unsigned char>(platform::asciiLowercased(host[next]));
  }
}

bool holdsMusicLinkHost(std::string_view text) {
  constexpr std::size_t dot = musicLinkHost.find('.');
  for (std::size_t at = text.find('.', dot); at != std::string_view::npos; at = text.find('.', at + 1)) {
    if (platform::equalsIgnoringAsciiCase(text.substr(at - dot, musicLinkHost.size()), musicLinkHost)) return true;
  }
  return false;
}

}  // namespace

bool mayBeRuledSite(const platform::Url& url) {
  const std::string& text = url.absoluteString();
  if (holdsMusicLinkHost(text)) return true;
  const auto& parts = url.parts();
  if (parts.host) return mayHoldRuledPart(*parts.host);
  // Without a host, rules read the address after the scheme's "://", which a URL with a scheme then lacks; a
  // reference without one is read from its start.
  if (parts.scheme) return false;
  return mayHoldRuledPart(text.substr(0, text.find_first_of("/?#")));
}

}  // namespace engine
