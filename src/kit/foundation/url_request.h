#pragma once

#include <QNetworkRequest>

#include "kit/foundation/durations.h"
#include "platform/url/url.h"

namespace kit {

// Where a request may take its answer from.
enum class UrlRequestCachePolicy {
  useProtocolCachePolicy,                 // what the response's caching headers allow
  reloadIgnoringLocalCacheData,           // always from the network
  reloadIgnoringLocalAndRemoteCacheData,  // always from the network
  returnCacheDataElseLoad,                // a cached answer when there is one, else the network
  returnCacheDataDontLoad,                // a cached answer only; the network is never asked
  reloadRevalidatingCacheData,            // the network, revalidating a cached answer
};

// A request for the URL whose whole transfer may take at most `timeout`. A span that is not positive and finite
// sets no limit; a positive one shorter than a millisecond is one millisecond.
QNetworkRequest urlRequest(const platform::Url& url, UrlRequestCachePolicy cachePolicy, ZvDuration timeout);
QNetworkRequest urlRequest(const platform::Url& url, UrlRequestCachePolicy cachePolicy, Duration timeout);

}  // namespace kit
