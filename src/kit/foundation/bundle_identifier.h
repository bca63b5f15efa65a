#pragma once

#include <compare>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "kit/foundation/durations.h"
#include "kit/foundation/locks.h"
#include "platform/url/url.h"

namespace kit {

// An application's icon: a theme icon name or an absolute image path, as the interface turns it into an image.
struct AppIcon {
  std::string nameOrPath;
  bool operator==(const AppIcon&) const = default;
};

// An application's identity: on this desktop, its desktop-entry id ("org.gnome.TextEditor"). Lookups of the
// installed application are remembered for one second, negative answers included. Safe from any thread.
class BundleIdentifier {
 public:
  using RawValue = std::string;
  // Coded as the bare identifier.
  static constexpr bool codesAsSingleValue = true;

  BundleIdentifier() = default;
  BundleIdentifier(std::string rawValue) : rawValue(std::move(rawValue)) {}  // NOLINT: built from text freely
  BundleIdentifier(const char* rawValue) : rawValue(rawValue) {}             // NOLINT

  std::string rawValue;
  const std::string& id() const { return rawValue; }
  // Equal and ordered by the raw text.
  auto operator<=>(const BundleIdentifier&) const = default;
  // The value as a debugger shows it: BundleIdentifier(rawValue: "org.gnome.TextEditor").
  std::string description() const;

  // The installed application's desktop file; none when no application has this id. An answer, a negative one too,
  // stands for `lifetime` after the lookup that found it.
  std::optional<platform::Url> url(Duration lifetime = std::chrono::seconds(1)) const;
  std::optional<std::string> name() const;
  // The application's icon, or the generic application icon when it is not installed.
  AppIcon icon() const;
  bool isInstalled() const;

  static const BundleIdentifier& appleMail();
  // Replace the installed-application lookups when set (kept empty by the program itself).
  static std::function<std::optional<platform::Url>(const std::string&)> urlOverride;
  static std::function<std::optional<std::string>(const std::string&)> nameOverride;
};

// The display name of an application or file location: its localized-name resource value (the name of the desktop
// entry there), else the file name; without ".desktop" or ".app" at the end.
std::string localizedName(const platform::Url& url);

// The id of the application whose desktop entry is the file at `url`: its id below an applications folder, else the
// file name without ".desktop". None for a file that is not an application entry.
std::optional<BundleIdentifier> applicationBundleIdentifier(const platform::Url& url);

AppIcon genericApplicationIcon();
// The icon of the file or application at a URL, remembered for one second.
AppIcon iconForUrl(const platform::Url& url);
// The application that opens "mailto:" links, else the file URL "/Applications/Mail.app".
platform::Url defaultEmailAppUrl();
BundleIdentifier defaultEmailAppBundleIdentifier();

// The record of one installed application. Equal only to itself or its copies: each record has its own
// lazily computed browser flag.
struct InstalledApp {
  InstalledApp(std::string bundleIdentifier, std::string name, std::string version, std::string build,
               platform::Url url);
  std::string bundleIdentifier, name, version, build;
  platform::Url url;
  const platform::Url& id() const { return url; }
  bool isBrowser() const;
  bool operator==(const InstalledApp& other) const;

 private:
  std::shared_ptr<SimpleOnce<bool>> isBrowserCell_;
  std::shared_ptr<std::mutex> isBrowserMutex_;
  friend struct std::hash<InstalledApp>;
};

}  // namespace kit

template <>
struct std::hash<kit::BundleIdentifier> {
  size_t operator()(const kit::BundleIdentifier& value) const noexcept {
    return std::hash<std::string>()(value.rawValue);
  }
};

template <>
struct std::hash<kit::InstalledApp> {
  size_t operator()(const kit::InstalledApp& app) const noexcept;
};
