#include "kit/foundation/url_request.h"

#include <QUrl>
#include <cmath>
#include <limits>

namespace kit {

namespace {

QNetworkRequest::CacheLoadControl cacheLoadControl(UrlRequestCachePolicy policy) {
  switch (policy) {
    case UrlRequestCachePolicy::reloadIgnoringLocalCacheData:
    case UrlRequestCachePolicy::reloadIgnoringLocalAndRemoteCacheData:
      return QNetworkRequest::AlwaysNetwork;
    case UrlRequestCachePolicy::returnCacheDataElseLoad:
      return QNetworkRequest::PreferCache;
    case UrlRequestCachePolicy::returnCacheDataDontLoad:
      return QNetworkRequest::AlwaysCache;
    case UrlRequestCachePolicy::useProtocolCachePolicy:
    case UrlRequestCachePolicy::reloadRevalidatingCacheData:
      return QNetworkRequest::PreferNetwork;
  }
  return QNetworkRequest::PreferNetwork;
}

// Qt counts the transfer timeout in whole milliseconds, 0 meaning none.
int transferTimeoutMilliseconds(TimeInterval seconds) {
  if (!(seconds > 0) || !std::isfinite(seconds)) return 0;
  const double milliseconds = std::ceil(seconds * 1000);
  if (milliseconds >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return static_cast<int>(milliseconds);
}

}  // namespace

QNetworkRequest urlRequest(const platform::Url& url, UrlRequestCachePolicy cachePolicy, ZvDuration timeout) {
  QNetworkRequest request(QUrl(QString::fromStdString(url.absoluteString())));
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, cacheLoadControl(cachePolicy));
  request.setTransferTimeout(transferTimeoutMilliseconds(timeout.seconds()));
  if (cachePolicy == UrlRequestCachePolicy::reloadIgnoringLocalAndRemoteCacheData) {
    // Caches between us and the server are asked not to answer either.
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
  }
  return request;
}

QNetworkRequest urlRequest(const platform::Url& url, UrlRequestCachePolicy cachePolicy, Duration timeout) {
  return urlRequest(url, cachePolicy, ZvDuration(toTimeInterval(timeout)));
}

}  // namespace kit
