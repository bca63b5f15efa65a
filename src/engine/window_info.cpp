#include "engine/window_info.h"

#include "kit/foundation/zv_app.h"
#include "platform/core/ascii.h"

namespace engine {

std::string resolvedName(const platform::RunningApplication& app) {
  if (!app.localizedName.empty()) return app.localizedName;
  if (app.executableUrl) {
    std::string stem = app.executableUrl->stem().string();
    if (!stem.empty()) return stem;
  }
  if (app.bundleUrl) {
    std::string stem = app.bundleUrl->stem().string();
    if (!stem.empty()) return stem;
  }
  if (app.bundleIdentifier) return *app.bundleIdentifier;
  if (app.pid == -1) return "<Unknown>";
  return "PID" + std::to_string(app.pid);
}

WindowInfo::WindowInfo(const platform::WindowRecord& record)
    : identifier(record.id),
      name(record.name),
      bounds(record.bounds),
      level(record.level),
      alpha(record.alpha),
      memoryUsage(record.memoryUsage),
      sharingState(record.sharingState),
      isOnScreen(record.isOnScreen),
      fillsScreen(record.fillsScreen) {
  owner.processIdentifier = record.ownerPid;
  owner.app = platform::Workspace::shared().runningApplication(record.ownerPid);
  if (record.ownerName) {
    owner.name = *record.ownerName;
  } else if (owner.app) {
    owner.name = resolvedName(*owner.app);
  } else {
    owner.name = "<Unknown>";
  }
  if (owner.app && owner.app->bundleIdentifier)
    owner.bundleIdentifier = kit::BundleIdentifier(*owner.app->bundleIdentifier);
}

std::vector<WindowInfo> WindowInfo::list(platform::WindowListOptions options) {
  std::vector<WindowInfo> windows;
  for (const auto& record : platform::Workspace::shared().windowList(options)) windows.emplace_back(record);
  return windows;
}

bool WindowInfo::isUserAppCandidate() const {
  if (level >= platform::WindowLevel::mainMenu) return false;
  if (level < 0) return false;
  if (!(alpha > 0.2)) return false;
  if (alpha < 0.5 && fillsScreen) return false;
  if (!(bounds.width > 50 && bounds.height > 50)) return false;
  if (platform::asciiLowercased(owner.name).ends_with("agent")) return false;
  if (!owner.bundleIdentifier) return true;
  const std::string& id = owner.bundleIdentifier->rawValue;
  if (platform::asciiLowercased(id).ends_with("agent")) return false;
  if (ignoredOverlayAppBundleIdentifiers().count(id) != 0) return false;
  auto frontmost = platform::Workspace::shared().frontmostApplication();
  if (!frontmost || !frontmost->bundleIdentifier) return true;
  if (frontmostOnlyAppBundleIdentifiers().count(id) != 0) return id == *frontmost->bundleIdentifier;
  return true;
}

std::optional<WindowInfo::UserApp> WindowInfo::UserApp::make(const std::optional<platform::RunningApplication>& app,
                                                             bool isFallback, bool excludingInactiveRegularApps) {
  if (!app || !app->bundleUrl || !app->bundleIdentifier) return std::nullopt;
  const std::string& id = *app->bundleIdentifier;
  if (id == kit::ZvApp::id() && !app->isActive) return std::nullopt;
  auto frontmost = platform::Workspace::shared().frontmostApplication();
  if (frontmost && frontmost->bundleIdentifier && *frontmost->bundleIdentifier == id) {
    if (auto url = kit::BundleIdentifier(id).url()) return UserApp{*url, kit::BundleIdentifier(id)};
  }
  if (excludingInactiveRegularApps && !isFallback && app->isRegular && frontmost && frontmost->bundleIdentifier &&
      *frontmost->bundleIdentifier != id) {
    return std::nullopt;
  }
  auto url = platform::Url::fileUrl(*app->bundleUrl);
  if (!url) return std::nullopt;
  return UserApp{*url, kit::BundleIdentifier(id)};
}

std::optional<WindowInfo::UserApp> WindowInfo::UserApp::current(bool excludingInactiveRegularApps) {
  platform::Workspace& workspace = platform::Workspace::shared();
  auto frontmost = workspace.frontmostApplication();
  if (frontmost && frontmost->bundleIdentifier &&
      lockedSessionAppBundleIdentifiers().count(*frontmost->bundleIdentifier) != 0) {
    return std::nullopt;
  }
  std::vector<WindowInfo> candidates;
  for (auto& window :
       list(platform::WindowListOption::onScreenOnly | platform::WindowListOption::excludeDesktopElements)) {
    if (window.isUserAppCandidate()) candidates.push_back(std::move(window));
  }
  std::optional<UserApp> candidate;
  for (const auto& window : candidates) {
    candidate = make(window.owner.app, false, excludingInactiveRegularApps);
    if (candidate) break;
  }
  if (candidate) {
    frontmost = workspace.frontmostApplication();
    if (frontmost && auxiliaryAppBundleIdentifiers().count(candidate->bundleIdentifier.rawValue) != 0 &&
        frontmost->bundleUrl && frontmost->bundleIdentifier) {
      if (auto url = platform::Url::fileUrl(*frontmost->bundleUrl)) {
        return UserApp{*url, kit::BundleIdentifier(*frontmost->bundleIdentifier)};
      }
    }
    return candidate;
  }
  if (auto answer = make(workspace.frontmostApplication(), true, excludingInactiveRegularApps)) return answer;
  return make(workspace.menuBarOwningApplication(), true, excludingInactiveRegularApps);
}

const std::unordered_set<std::string>& WindowInfo::ignoredOverlayAppBundleIdentifiers() {
  static const std::unordered_set<std::string> ids = {"com.apple.dock",
                                                      "com.apple.notificationcenterui",
                                                      "com.apple.UserNotificationCenter",
                                                      "com.apple.screencaptureui",
                                                      "com.apple.PIPAgent",
                                                      "com.kestrova.ClipboardInspector",
                                                      "co.hypercritical.SwitchGlass",
                                                      "app.macgrid.Grid",
                                                      "com.edge.LGCatalyst",
                                                      "com.replay.sleeve",
                                                      "com.mantel.TrashEye",
                                                      "at.sidebar.Sidebar",
                                                      "com.pointum.hazeover",
                                                      "com.pointum.hazeover-setapp",
                                                      "com.ibluebox.aqua-menu-bar",
                                                      "com.epson.ShowNotification"};
  return ids;
}

const std::unordered_set<std::string>& WindowInfo::frontmostOnlyAppBundleIdentifiers() {
  static const std::unordered_set<std::string> ids = {"com.grammarly.ProjectLlama"};
  return ids;
}

const std::unordered_set<std::string>& WindowInfo::UserApp::lockedSessionAppBundleIdentifiers() {
  static const std::unordered_set<std::string> ids = {"com.apple.loginwindow", "com.apple.ScreenSaver.Engine"};
  return ids;
}

const std::unordered_set<std::string>& WindowInfo::UserApp::auxiliaryAppBundleIdentifiers() {
  static const std::unordered_set<std::string> ids = {kit::ZvApp::id(),
                                                      "com.apple.WindowManager",
                                                      "com.apple.SystemProfiler",
                                                      "com.mediaatelier.CheatSheet",
                                                      "de.ixeau.KeystrokePro2",
                                                      "at.EternalStorms.Yoink",
                                                      "pl.maketheweb.cleanshotx",
                                                      "com.getcleanshot.app-setapp",
                                                      "com.stclairsoft.DefaultFolderX5",
                                                      "com.stclairsoft.DefaultFolderX5-setapp",
                                                      "aimore.xamouse",
                                                      "com.pilotmoon.popclip",
                                                      "com.pilotmoon.popclip-setapp",
                                                      "com.tencent.LemonMonitor",
                                                      "com.electron.ava",
                                                      "com.pranapps.Floating",
                                                      "design.yugen.Flow",
                                                      "com.seal-one.SealOne"};
  return ids;
}

}  // namespace engine
