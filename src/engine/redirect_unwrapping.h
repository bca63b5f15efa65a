#pragma once

#include "platform/url/url.h"

namespace engine {

// The target of a known redirect or link-protection wrapper (mail link protectors, outbound-link pages,
// search result redirects, click trackers, mobile and short video links), one level deep; any other URL
// comes back unchanged.
platform::Url unwrappingRedirect(const platform::Url& url);

}  // namespace engine
