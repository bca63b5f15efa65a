#include "kit/foundation/bundle_identifier.h"

#include <QFileInfo>
#include <QMimeDatabase>

#include "kit/foundation/expiring_cache.h"
#include "kit/foundation/log.h"
#include "kit/foundation/url_resource_values.h"
#include "kit/foundation/value_wrappers.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/workspace.h"

namespace kit {

namespace {

constexpr auto memoLifetime = std::chrono::seconds(1);

std::optional<platform::DesktopEntry> entryAt(const platform::Url& url) {
  if (!url.isFileUrl()) return std::nullopt;
  auto id = platform::DesktopEntries::idForFile(url.path());
  if (!id) return std::nullopt;
  auto entry = platform::DesktopEntries::lookup(*id);
  if (!entry || entry->path != std::filesystem::path(url.path())) return std::nullopt;
  return entry;
}

}  // namespace

std::string localizedName(const platform::Url& url) {
  std::string name = resourceValue<std::string>(url, UrlResourceKey::localizedName).value_or(url.lastPathComponent());
  for (std::string_view suffix : {".desktop", ".app"}) {
    if (name.size() > suffix.size() && name.ends_with(suffix)) {
      name.resize(name.size() - suffix.size());
      break;
    }
  }
  return name;
}

std::function<std::optional<platform::Url>(const std::string&)> BundleIdentifier::urlOverride;
std::function<std::optional<std::string>(const std::string&)> BundleIdentifier::nameOverride;

const BundleIdentifier& BundleIdentifier::appleMail() {
  static const BundleIdentifier value("com.apple.mail");
  return value;
}

std::string BundleIdentifier::description() const {
  return "BundleIdentifier(rawValue: " + LogItem(rawValue).rendered() + ")";
}

std::optional<platform::Url> BundleIdentifier::url(Duration lifetime) const {
  if (urlOverride) return urlOverride(rawValue);
  return memoize(lifetime, {AnyHashable(*this)}, [&]() -> std::optional<platform::Url> {
    auto entry = platform::DesktopEntries::lookup(rawValue);
    if (!entry) return std::nullopt;
    return platform::Url::fileUrl(entry->path);
  });
}

std::optional<std::string> BundleIdentifier::name() const {
  auto location = url();
  if (!location) return std::nullopt;
  if (nameOverride) return nameOverride(rawValue);
  return memoize(memoLifetime, {AnyHashable(*this)},
                 [&]() -> std::optional<std::string> { return localizedName(*location); });
}

AppIcon BundleIdentifier::icon() const {
  auto location = url();
  if (!location) return genericApplicationIcon();
  return iconForUrl(*location);
}

bool BundleIdentifier::isInstalled() const { return url().has_value(); }

std::optional<BundleIdentifier> applicationBundleIdentifier(const platform::Url& url) {
  if (!url.isFileUrl()) return std::nullopt;
  auto entry = platform::readDesktopEntryFile(url.path());
  if (!entry) return std::nullopt;
  return BundleIdentifier(std::move(entry->id));
}

AppIcon genericApplicationIcon() { return {"application-x-executable"}; }

AppIcon iconForUrl(const platform::Url& url) {
  return memoize(memoLifetime, {AnyHashable(url)}, [&]() -> AppIcon {
    if (auto entry = entryAt(url)) return entry->icon.empty() ? genericApplicationIcon() : AppIcon{entry->icon};
    if (!url.isFileUrl()) return genericApplicationIcon();
    QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(url.path()));
    return AppIcon{type.iconName().toStdString()};
  });
}

platform::Url defaultEmailAppUrl() {
  if (auto id = platform::defaultApplicationId("mailto")) {
    if (auto entry = platform::DesktopEntries::lookup(*id)) {
      if (auto url = platform::Url::fileUrl(entry->path)) return *url;
    }
  }
  return *platform::Url::fileUrl("/Applications/Mail.app");
}

BundleIdentifier defaultEmailAppBundleIdentifier() {
  platform::Url url = defaultEmailAppUrl();
  if (auto entry = entryAt(url)) return BundleIdentifier(entry->id);
  return BundleIdentifier::appleMail();
}

InstalledApp::InstalledApp(std::string bundleIdentifier, std::string name, std::string version, std::string build,
                           platform::Url url)
    : bundleIdentifier(std::move(bundleIdentifier)),
      name(std::move(name)),
      version(std::move(version)),
      build(std::move(build)),
      url(std::move(url)),
      isBrowserMutex_(std::make_shared<std::mutex>()) {
  std::string id = this->bundleIdentifier;
  isBrowserCell_ = std::make_shared<SimpleOnce<bool>>([id] {
    auto handler = platform::defaultApplicationId("https");
    return handler && *handler == id;
  });
}

bool InstalledApp::isBrowser() const {
  std::lock_guard lock(*isBrowserMutex_);
  return isBrowserCell_->value();
}

bool InstalledApp::operator==(const InstalledApp& other) const {
  return bundleIdentifier == other.bundleIdentifier && name == other.name && version == other.version &&
         build == other.build && url == other.url && isBrowserCell_ == other.isBrowserCell_;
}

}  // namespace kit

size_t std::hash<kit::InstalledApp>::operator()(const kit::InstalledApp& app) const noexcept {
  size_t seed = 0;
  for (const auto* s : {&app.bundleIdentifier, &app.name, &app.version, &app.build})
    kit::hashCombine(seed, std::hash<std::string>()(*s));
  kit::hashCombine(seed, std::hash<platform::Url>()(app.url));
  kit::hashCombine(seed, std::hash<const void*>()(app.isBrowserCell_.get()));
  return seed;
}
