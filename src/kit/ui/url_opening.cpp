#include "kit/ui/url_opening.h"

#include <QDesktopServices>
#include <QUrl>

namespace kit {

namespace {
std::function<bool(const platform::Url&)>& opener() {
  static std::function<bool(const platform::Url&)> instance;
  return instance;
}
}  // namespace

bool openUrl(const platform::Url& url) {
  if (opener()) return opener()(url);
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url.absoluteString()), QUrl::StrictMode));
}

void setUrlOpenerForTesting(std::function<bool(const platform::Url&)> replacement) {
  opener() = std::move(replacement);
}

}  // namespace kit
