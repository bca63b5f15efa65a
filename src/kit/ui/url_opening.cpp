#include "kit/ui/url_opening.h"

#include <QDesktopServices>
#include <QUrl>

namespace kit {

namespace {
std::function<bool(const platform::Url&)>& opener() {
  static std::function<bool(const platform::Url&)> instance;
  return instance;
}

// The URL as the desktop takes it. A host outside ASCII, which the URL keeps percent-encoded ("m%C3%BCnchen.de")
// and Qt refuses so, goes in its ASCII form ("xn--mnchen-3ya.de").
QUrl desktopUrl(const platform::Url& url) {
  std::string text = url.absoluteString();
  const std::optional<std::string>& host = url.parts().host;
  if (host && host->find('%') != std::string::npos && !host->starts_with('[')) {
    const QByteArray ascii = QUrl::toAce(QString::fromStdString(url.host().value_or("")));
    if (!ascii.isEmpty()) {
      platform::UrlParts parts = url.parts();
      parts.host = ascii.toStdString();
      text = parts.text();
    }
  }
  return QUrl(QString::fromStdString(text), QUrl::StrictMode);
}

}  // namespace

bool openUrl(const platform::Url& url) {
  if (opener()) return opener()(url);
  return QDesktopServices::openUrl(desktopUrl(url));
}

void setUrlOpenerForTesting(std::function<bool(const platform::Url&)> replacement) {
  opener() = std::move(replacement);
}

}  // namespace kit
