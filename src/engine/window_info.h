#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "kit/foundation/bundle_identifier.h"
#include "kit/foundation/bytes.h"
#include "kit/foundation/hashing.h"
#include "platform/system/workspace.h"
#include "platform/url/url.h"

namespace engine {

// One shown window of the desktop, as the source-application lookup sees it.
struct WindowInfo {
  struct Owner {
    std::string name;
    int32_t processIdentifier = -1;
    std::optional<kit::BundleIdentifier> bundleIdentifier;
    std::optional<platform::RunningApplication> app;
  };

  // The application the user works in: its location and identity.
  struct UserApp {
    platform::Url url;
    kit::BundleIdentifier bundleIdentifier;
    bool operator==(const UserApp&) const = default;
    const platform::Url& id() const { return url; }

    // The application the user is working in: the first qualifying window's application, else the
    // frontmost application, else the menu bar owner.
    static std::optional<UserApp> current(bool excludingInactiveRegularApps);
    static std::optional<UserApp> make(const std::optional<platform::RunningApplication>& app, bool isFallback,
                                       bool excludingInactiveRegularApps);

    static const std::unordered_set<std::string>& lockedSessionAppBundleIdentifiers();
    static const std::unordered_set<std::string>& auxiliaryAppBundleIdentifiers();
  };

  uint32_t identifier = 0;
  std::optional<std::string> name;
  Owner owner;
  platform::Rect bounds;
  int level = 0;
  double alpha = 1;
  kit::Bytes memoryUsage;
  platform::WindowSharingState sharingState = platform::WindowSharingState::none;
  bool isOnScreen = false;
  bool fillsScreen = false;

  bool operator==(const WindowInfo& other) const { return identifier == other.identifier; }

  explicit WindowInfo(const platform::WindowRecord& record);
  // The desktop's windows that `options` ask for, front to back.
  static std::vector<WindowInfo> list(platform::WindowListOptions options);
  bool isUserAppCandidate() const;

  static const std::unordered_set<std::string>& ignoredOverlayAppBundleIdentifiers();
  static const std::unordered_set<std::string>& frontmostOnlyAppBundleIdentifiers();
};

// A display name for any running application.
std::string resolvedName(const platform::RunningApplication& app);

}  // namespace engine

// By location, then identity, as equality compares them.
template <>
struct std::hash<engine::WindowInfo::UserApp> {
  std::size_t operator()(const engine::WindowInfo::UserApp& app) const noexcept {
    std::size_t seed = std::hash<platform::Url>()(app.url);
    kit::hashCombine(seed, std::hash<kit::BundleIdentifier>()(app.bundleIdentifier));
    return seed;
  }
};
