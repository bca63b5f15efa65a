#include "engine/tracking_parameters.h"

#include <algorithm>
#include <functional>

#include "engine/redirect_unwrapping.h"
#include "engine/ruled_sites.h"
#include "engine/url_utilities.h"
#include "kit/foundation/regex.h"
#include "kit/foundation/url_query.h"

namespace engine {
namespace {

using platform::UrlComponents;
using Names = std::unordered_set<std::string>;

const Names& trackingParameterNameSet() {
  static const Names names(trackingParameterNames().begin(), trackingParameterNames().end());
  return names;
}

Url removing(const Url& url, const Names& names) { return kit::removingQueryItems(url, names); }

// The tracking parameters' names, looked up without making a string of the name.
bool isTrackingName(std::string_view name) {
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };
  static const std::unordered_set<std::string, Hash, std::equal_to<>> names(trackingParameterNames().begin(),
                                                                            trackingParameterNames().end());
  return names.contains(name);
}

// Calls `visit` with the text and the name of each item of an encoded query, in order.
template <class Visit>
void forEachItem(std::string_view query, Visit&& visit) {
  while (true) {
    const std::string_view item = query.substr(0, query.find('&'));
    visit(item, item.substr(0, item.find('=')));
    if (item.size() == query.size()) return;
    query.remove_prefix(item.size() + 1);
  }
}

// What cleaning does to the items of a query on a site no rule names, read from its encoded text.
enum class QueryCleaning {
  none,
  // Items named as tracking parameters go; every name and value reads as written.
  trackingItemsOnly,
  // Anything else may happen: a name is percent-encoded, so read decoded it may be any name; an item is named
  // "ref"; a value may be a URL (one with a scheme needs ":", one with a host "/"; encoded it may hold either).
  whole,
};

QueryCleaning cleaningOfQuery(std::string_view query) {
  auto cleaning = QueryCleaning::none;
  forEachItem(query, [&](std::string_view item, std::string_view name) {
    if (cleaning == QueryCleaning::whole) return;
    if (name.find('%') != std::string_view::npos || name == "ref" ||
        item.find_first_of(":/%", name.size()) != std::string_view::npos) {
      cleaning = QueryCleaning::whole;
    } else if (isTrackingName(name)) {
      cleaning = QueryCleaning::trackingItemsOnly;
    }
  });
  return cleaning;
}

// The URL without its tracking items, for a query whose items read as written: the others' text joined again as
// removing them by their decoded names joins it, without splitting the URL into items.
Url removingTrackingItemsAsWritten(const Url& url) {
  std::string kept;
  bool anyKept = false;
  forEachItem(*url.parts().query, [&](std::string_view item, std::string_view name) {
    if (isTrackingName(name)) return;
    if (!kept.empty()) kept.push_back('&');
    kept.append(item);
    anyKept = true;
  });
  UrlComponents components(url);
  if (!anyKept) {
    components.setQueryItems(std::nullopt);
  } else if (!components.setPercentEncodedQuery(kept)) {
    return url;
  }
  if (components.parts() == url.parts()) return url;
  return std::move(components).url().value_or(url);
}

// Where the byte at `offset` of the decoded text stands in its percent-encoded form.
std::size_t writtenOffset(std::string_view encoded, std::size_t offset) {
  std::size_t at = 0;
  for (std::size_t decoded = 0; decoded < offset && at < encoded.size(); ++decoded) at += encoded[at] == '%' ? 3 : 1;
  return std::min(at, encoded.size());
}

Url retailerRule(Url url) {
  if (url.lastPathComponent().starts_with("ref=")) url = url.deletingLastPathComponent();
  static const Names searchNames = {"keywords", "qid", "sr"};
  static const Names referralNames = {"_encoding", "ref", "ref_", "content-id", "s", "psc"};
  if (containsItemNamed(UrlComponents::queryItems(url), "qid")) url = removing(url, searchNames);
  url = removing(url, referralNames);
  return removingRefPathSuffix(url);
}

// A link that a launch site gave its own referral mark ("ref=producthunt") on any host loses it.
Url removingSelfReferral(Url url) {
  static const Names referral = {"ref"};
  // An item named "ref" is written so, or percent-encoded.
  const auto& query = url.parts().query;
  const bool mayReferToItself =
      query && (query->find("ref") != std::string::npos || query->find('%') != std::string::npos);
  if (const auto ref = mayReferToItself ? kit::firstItemNamed(kit::queryItems(url), "ref") : std::nullopt;
      ref && ref->value == "producthunt") {
    return removing(url, referral);
  }
  return url;
}

Url applyingSiteRules(Url url) {
  static const Names microBloggingNames = {"x.com", "twitter.com", "fxtwitter.com"};
  static const Names microBloggingTracking = {"s", "t", "ref_src", "ref_url"};
  static const Names shareIdentifier = {"si"};
  static const Names auctionTracking = {"mkcid",      "mkevt", "mkrid",  "ssspo",  "sssrc",   "ssuid",
                                        "widget_ver", "media", "campid", "toolid", "customid"};
  static const Names audiobookTracking = {"plink", "ref", "creativeId", "pageLoadId", "qid", "sr"};
  static const Names socialReferral = {"ref", "referral_code", "referral_story_type", "tracking"};
  static const Names newsTracking = {"emc", "nl", "te", "smid"};
  static const Names shortVideoTracking = {"k",
                                           "h",
                                           "_t",
                                           "_r",
                                           "is_from_webapp",
                                           "sender_device",
                                           "web_id",
                                           "_CAMPAIGN_NAME_",
                                           "_CAMPAIGN_ID_",
                                           "_AID_NAME_",
                                           "_AID_",
                                           "_CID_NAME_",
                                           "_CID_",
                                           "_PLACEMENT_"};
  // The rules change the path and the query only, so the host found first holds for every rule.
  const auto bareHost = hostWithoutWWW(url);
  const auto bareHostStartsWith = [&](std::string_view prefix) { return bareHost && bareHost->starts_with(prefix); };
  const auto bareHostContains = [&](std::string_view part) {
    return bareHost && bareHost->find(part) != std::string::npos;
  };
  if (bareHost && microBloggingNames.contains(*bareHost)) url = removing(url, microBloggingTracking);
  if (hostIsDomainOrSubdomain(url, "spotify.com")) url = removing(url, shareIdentifier);
  if (hostIsDomainOrSubdomain(url, "youtube.com")) url = removing(url, shareIdentifier);
  if (bareHostStartsWith("google.")) {
    const auto components = url.pathComponents();
    if (components.size() >= 2 && components[1] == "search") {
      url = kit::removingQueryItems(url, queryItemNameNotIn({"q", "as_q"}));
    }
  }
  if (bareHostStartsWith("ebay.")) url = removing(url, auctionTracking);
  url = removingSelfReferral(std::move(url));
  if (bareHostContains("amazon.")) url = retailerRule(url);
  if (bareHostContains("audible.")) url = removing(url, audiobookTracking);
  if (hostIsDomainOrSubdomain(url, "facebook.com")) url = removing(url, socialReferral);
  if (hostIsDomainOrSubdomain(url, "nytimes.com")) url = removing(url, newsTracking);
  if (hostIsDomainOrSubdomain(url, "tiktok.com")) url = removing(url, shortVideoTracking);
  return url;
}

// Most URLs are on no site that a rule names (`ruledSite` false): none of those rules would change them.
Url removingTrackingParameters(const Url& url, bool ruledSite) {
  if (!ruledSite) return removingSelfReferral(removing(url, trackingParameterNameSet()));
  Url working = unwrappingRedirect(url);
  working = removing(working, trackingParameterNameSet());
  return applyingSiteRules(std::move(working));
}

}  // namespace

const std::vector<std::string>& trackingParameterNames() {
  static const std::vector<std::string> names = {"gclid",
                                                 "gclsrc",
                                                 "_ga",
                                                 "utm",
                                                 "utm_ad",
                                                 "utm_brand",
                                                 "utm_campaign",
                                                 "utm_campaignid",
                                                 "utm_channel",
                                                 "utm_cid",
                                                 "utm_content",
                                                 "utm_emcid",
                                                 "utm_emmid",
                                                 "utm_id",
                                                 "utm_media",
                                                 "utm_medium",
                                                 "utm_name",
                                                 "utm_product",
                                                 "utm_pubreferrer",
                                                 "utm_reader",
                                                 "utm_referrer",
                                                 "utm_serial",
                                                 "utm_social",
                                                 "utm_social-type",
                                                 "utm_source",
                                                 "utm_swu",
                                                 "utm_term",
                                                 "utm_umguk",
                                                 "utm_userid",
                                                 "utm_viz_id",
                                                 "gbraid",
                                                 "wbraid",
                                                 "fbclid",
                                                 "__tn__",
                                                 "igshid",
                                                 "twclid",
                                                 "msclkid",
                                                 "dclid",
                                                 "mc_cid",
                                                 "mc_eid",
                                                 "_openstat",
                                                 "yclid",
                                                 "soc_src",
                                                 "soc_trk",
                                                 "_hsenc",
                                                 "_hsmi",
                                                 "hsa_cam",
                                                 "hsa_grp",
                                                 "hsa_mt",
                                                 "hsa_src",
                                                 "hsa_ad",
                                                 "hsa_acc",
                                                 "hsa_net",
                                                 "hsa_kw",
                                                 "hsa_tgt",
                                                 "hsa_ver",
                                                 "mkt_tok",
                                                 "oly_anon_id",
                                                 "oly_enc_id",
                                                 "wickedid",
                                                 "vero_con",
                                                 "vero_id",
                                                 "__s",
                                                 "s_cid",
                                                 "ef_id",
                                                 "s_kwcid",
                                                 "_trksid",
                                                 "_bta_tid",
                                                 "_bta_c",
                                                 "trk_contact",
                                                 "trk_msg",
                                                 "trk_module",
                                                 "trk_sid",
                                                 "gdfms",
                                                 "gdftrk",
                                                 "gdffi",
                                                 "_ke",
                                                 "_kx",
                                                 "redirect_log_mongo_id",
                                                 "redirect_mongo_id",
                                                 "sb_referer_host",
                                                 "mkwid",
                                                 "pcrid",
                                                 "dm_i",
                                                 "epik",
                                                 "pk_campaign",
                                                 "pk_kwd",
                                                 "pk_keyword",
                                                 "piwik_campaign",
                                                 "piwik_kwd",
                                                 "piwik_keyword",
                                                 "mtm_campaign",
                                                 "mtm_keyword",
                                                 "mtm_source",
                                                 "mtm_medium",
                                                 "mtm_content",
                                                 "mtm_cid",
                                                 "mtm_group",
                                                 "mtm_placement",
                                                 "matomo_campaign",
                                                 "matomo_keyword",
                                                 "matomo_source",
                                                 "matomo_medium",
                                                 "matomo_content",
                                                 "matomo_cid",
                                                 "matomo_group",
                                                 "matomo_placement",
                                                 "pd_rd_i",
                                                 "pd_rd_m",
                                                 "pd_rd_p",
                                                 "pd_rd_r",
                                                 "pd_rd_s",
                                                 "pd_rd_t",
                                                 "pd_rd_w",
                                                 "pd_rd_wg",
                                                 "pf_rd_i",
                                                 "pf_rd_m",
                                                 "pf_rd_p",
                                                 "pf_rd_r",
                                                 "pf_rd_s",
                                                 "pf_rd_t",
                                                 "_branch_match_id",
                                                 "vd_source",
                                                 "bxid",
                                                 "cndid",
                                                 "__sta",
                                                 "__stm_medium",
                                                 "__stm_source",
                                                 "__stm_id"};
  return names;
}

const std::unordered_set<std::string>& hostsExemptFromTrackingRemoval() {
  static const std::unordered_set<std::string> hosts = {"console.aws.amazon.com", "okta.com", "auth0.com"};
  return hosts;
}

Url removingTrackingParameters(const Url& url) { return removingTrackingParameters(url, mayBeRuledSite(url)); }

std::vector<QueryItem> cleanNestedURLsInQueryItems(const std::vector<QueryItem>& items) {
  std::vector<QueryItem> out;
  out.reserve(items.size());
  for (const auto& item : items) {
    if (item.value) {
      if (const auto nested = Url::parse(*item.value); nested && kit::isValid(*nested)) {
        // Only a change replaces the value: the lenient parse alone may re-encode text that is no URL.
        const Url cleaned = removingTrackingParameters(*nested);
        if (!(cleaned == *nested)) {
          out.push_back({item.name, cleaned.absoluteString()});
          continue;
        }
      }
    }
    out.push_back(item);
  }
  return out;
}

Url modifyingQueryItemsCleaningNestedURLs(const Url& url) {
  return kit::modifyingQueryItems(url, cleanNestedURLsInQueryItems);
}

Url removingTrackingParametersUnlessExempt(const Url& url) {
  // No query, or an empty one, has no items. Without a "?" there is none, and the URL need not be split.
  if (url.absoluteString().find('?') == std::string::npos) return url;
  const auto& query = url.parts().query;
  if (!query || query->empty()) return url;
  const bool ruledSite = mayBeRuledSite(url);
  if (!ruledSite) {
    switch (cleaningOfQuery(*query)) {
      case QueryCleaning::none:
        return url;
      case QueryCleaning::trackingItemsOnly:
        return removingTrackingItemsAsWritten(url);
      case QueryCleaning::whole:
        break;
    }
  } else {
    const auto matchesHost = hostMatches(url);
    const auto& exempt = hostsExemptFromTrackingRemoval();
    if (std::any_of(exempt.begin(), exempt.end(), std::cref(matchesHost))) return url;
  }
  return modifyingQueryItemsCleaningNestedURLs(removingTrackingParameters(url, ruledSite));
}

std::string removingTrackingParametersFromURLs(std::string_view text, const std::vector<platform::ByteRange>& ranges) {
  // Ranges do not overlap, so building the result front to back gives what replacing from the last match
  // to the first gives, without moving the text once per replacement.
  std::string out;
  std::size_t position = 0;
  for (const auto& range : ranges) {
    if (range.location < position || range.end() > text.size()) continue;
    const auto written = text.substr(range.location, range.length);
    if (written.find('?') == std::string_view::npos) continue;  // no query items: nothing to clean
    const auto parsed = Url::parseStrict(written);
    if (!parsed) continue;
    const Url cleaned = removingTrackingParametersUnlessExempt(*parsed);
    if (cleaned == *parsed) continue;
    if (out.empty()) out.reserve(text.size());
    out.append(text.substr(position, range.location - position));
    out.append(cleaned.absoluteString());
    position = range.end();
  }
  if (position == 0) return std::string(text);
  out.append(text.substr(position));
  return out;
}

std::string removingTrackingParametersFromURLs(std::string_view text, const std::vector<platform::LinkMatch>& matches) {
  std::vector<platform::ByteRange> ranges;
  ranges.reserve(matches.size());
  for (const auto& match : matches) ranges.push_back(match.range);
  return removingTrackingParametersFromURLs(text, ranges);
}

std::string removingTrackingParametersFromURLs(std::string_view text) {
  return removingTrackingParametersFromURLs(text, platform::detectLinkRanges(text));
}

std::vector<Url> removingTrackingParametersFromURLList(const std::vector<Url>& urls) {
  std::vector<Url> out;
  out.reserve(urls.size());
  for (const auto& url : urls) out.push_back(removingTrackingParametersUnlessExempt(url));
  return out;
}

std::function<bool(const QueryItem&)> queryItemNameNotIn(std::unordered_set<std::string> names) {
  return [names = std::move(names)](const QueryItem& item) { return !names.contains(item.name); };
}

Url removingRefPathSuffix(const Url& url) {
  static const auto refSuffix = kit::ZvRegex::constant("ref=.*$");
  return kit::modifyingComponents(url, [](UrlComponents& components) {
    // The path is searched as it reads ("ref%3D" is "ref="); what is cut goes from its written form, so that the rest
    // keeps its encoding (a "%2F" inside a segment stays one).
    const std::string path = components.path();
    if (path.find("ref=") == std::string::npos) return;
    std::string written = components.percentEncodedPath();
    const bool decoded = path != written;
    const auto match = refSuffix.firstMatch(path);  // anchored at the end: one match at most
    if (!match) return;
    const std::size_t begin = decoded ? writtenOffset(written, match->range.location) : match->range.location;
    const std::size_t end = decoded ? writtenOffset(written, match->range.end()) : match->range.end();
    written.erase(begin, end - begin);
    components.setPercentEncodedPath(std::move(written));
  });
}

}  // namespace engine
