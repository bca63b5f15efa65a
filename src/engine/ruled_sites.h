#pragma once

#include "platform/url/url.h"

namespace engine {

// Whether a redirect rule, a site rule or an exempt host of tracking removal may apply to the URL, judged from its host
// (without one, from the start of a reference without a scheme) and, for the music-link pages, from its whole text.
// Never false where a rule applies; true for some hosts that merely look like a ruled one, which then take the rules.
bool mayBeRuledSite(const platform::Url& url);

}  // namespace engine
