#include "engine/window_info.h"

#include <gtest/gtest.h>

#include <unordered_set>

#include "doubles/fake_workspace.h"
#include "kit/foundation/expiring_cache.h"
#include "kit/foundation/zv_app.h"

namespace {

using engine::WindowInfo;
using platform::RunningApplication;
using platform::WindowRecord;

RunningApplication app(int32_t pid, const std::string& id, bool regular = true) {
  return {.pid = pid,
          .bundleIdentifier = id,
          .bundleUrl = "/apps/" + id + ".desktop",
          .localizedName = id,
          .isActive = false,
          .isRegular = regular};
}

WindowRecord window(uint32_t id, int32_t pid, int level = 0, double alpha = 1,
                    platform::Rect bounds = {0, 0, 400, 300}) {
  return {.id = id,
          .name = std::nullopt,
          .ownerPid = pid,
          .ownerName = std::nullopt,
          .bounds = bounds,
          .level = level,
          .alpha = alpha,
          .isOnScreen = true,
          .fillsScreen = false};
}

class SourceApplication : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Workspace::setSharedForTesting(&workspace);
    kit::resetExpiringCacheForTesting();
    // Installed-application lookups of the frontmost application find nothing here: the lookup then keeps
    // the window's own application.
    kit::BundleIdentifier::urlOverride = [](const std::string&) { return std::nullopt; };
  }
  void TearDown() override {
    kit::BundleIdentifier::urlOverride = nullptr;
    platform::Workspace::setSharedForTesting(nullptr);
  }
  std::optional<std::string> current(bool excluding = true) {
    auto answer = WindowInfo::UserApp::current(excluding);
    if (!answer) return std::nullopt;
    return answer->bundleIdentifier.rawValue;
  }
  void addApp(RunningApplication a) { workspace.applications.push_back(std::move(a)); }

  platform::FakeWorkspace workspace;
};

TEST_F(SourceApplication, WindowFilterRejectsMenusDesktopTranslucentSmallAndAgentWindows) {
  addApp(app(1, "org.example.Editor"));
  addApp(app(2, "org.example.UpdateAgent"));
  auto candidate = [&](WindowRecord record) { return WindowInfo(record).isUserAppCandidate(); };
  EXPECT_TRUE(candidate(window(1, 1)));
  EXPECT_FALSE(candidate(window(1, 1, platform::WindowLevel::mainMenu)));
  EXPECT_TRUE(candidate(window(1, 1, 23)));
  EXPECT_FALSE(candidate(window(1, 1, -1)));
  EXPECT_FALSE(candidate(window(1, 1, 0, 0.2)));
  EXPECT_TRUE(candidate(window(1, 1, 0, 0.21)));
  auto translucent = window(1, 1, 0, 0.49);
  translucent.fillsScreen = true;
  EXPECT_FALSE(candidate(translucent));
  translucent.alpha = 0.5;
  EXPECT_TRUE(candidate(translucent));
  EXPECT_FALSE(candidate(window(1, 1, 0, 1, {0, 0, 50, 50})));
  EXPECT_TRUE(candidate(window(1, 1, 0, 1, {0, 0, 51, 51})));
  EXPECT_FALSE(candidate(window(1, 2)));  // identifier ends in "agent"
  auto namedAgent = window(1, 99);
  namedAgent.ownerName = "Keyring AGENT";
  EXPECT_FALSE(candidate(namedAgent));
  EXPECT_TRUE(candidate(window(1, 99)));  // an owner without identifier passes the filter
}

TEST_F(SourceApplication, FrontmostOnlyApplicationsCountOnlyWhileFrontmost) {
  addApp(app(1, "com.grammarly.ProjectLlama", false));
  addApp(app(2, "org.example.Editor"));
  workspace.frontmost = app(2, "org.example.Editor");
  EXPECT_FALSE(WindowInfo(window(1, 1)).isUserAppCandidate());
  workspace.frontmost = app(1, "com.grammarly.ProjectLlama");
  EXPECT_TRUE(WindowInfo(window(1, 1)).isUserAppCandidate());
}

TEST_F(SourceApplication, TheFrontWindowOfAnAccessoryOrTheFrontmostApplicationWins) {
  addApp(app(1, "org.example.Editor"));
  addApp(app(2, "org.example.Palette", false));
  addApp(app(3, "org.example.Background"));
  workspace.frontmost = app(1, "org.example.Editor");

  // A background application's window above the frontmost one never wins while inactive apps are excluded.
  workspace.windows = {window(10, 3), window(11, 1)};
  EXPECT_EQ(current(true), "org.example.Editor");
  EXPECT_EQ(current(false), "org.example.Background");

  // A panel of an accessory application in front wins.
  workspace.windows = {window(12, 2), window(11, 1)};
  EXPECT_EQ(current(), "org.example.Palette");

  // Windows that give no answer (no identifier, filtered out) are passed over.
  workspace.windows = {window(13, 99), window(14, 1, 25), window(11, 1)};
  EXPECT_EQ(current(), "org.example.Editor");

  // The search lists the windows on screen only, without the desktop's own: a hidden panel gives no answer.
  auto hiddenPanel = window(15, 2);
  hiddenPanel.isOnScreen = false;
  workspace.windows = {hiddenPanel, window(16, 3, platform::WindowLevel::desktop), window(11, 1)};
  EXPECT_EQ(current(), "org.example.Editor");
  using namespace platform::WindowListOption;
  auto ids = [](const std::vector<WindowInfo>& windows) {
    std::vector<uint32_t> listed;
    for (const auto& w : windows) listed.push_back(w.identifier);
    return listed;
  };
  EXPECT_EQ(ids(WindowInfo::list(all)), (std::vector<uint32_t>{15, 16, 11}));
  EXPECT_EQ(ids(WindowInfo::list(onScreenOnly)), (std::vector<uint32_t>{16, 11}));
  EXPECT_EQ(ids(WindowInfo::list(excludeDesktopElements)), (std::vector<uint32_t>{15, 11}));
  EXPECT_EQ(ids(WindowInfo::list(onScreenOnly | excludeDesktopElements)), (std::vector<uint32_t>{11}));
}

TEST_F(SourceApplication, AuxiliaryApplicationsAndOurOwnWindowReportTheFrontmostApplication) {
  addApp(app(1, "org.example.Editor"));
  auto own = app(2, kit::ZvApp::id(), false);
  addApp(own);
  workspace.frontmost = app(1, "org.example.Editor");
  workspace.windows = {window(20, 2), window(11, 1)};
  // Our own window counts only while we are active; then the frontmost application is reported.
  EXPECT_EQ(current(), "org.example.Editor");
  workspace.applications[1].isActive = true;
  EXPECT_EQ(current(), "org.example.Editor");
  EXPECT_EQ(WindowInfo::UserApp::current(true)->url.path(), "/apps/org.example.Editor.desktop");
}

TEST_F(SourceApplication, FallsBackToFrontmostThenMenuBarOwnerAndIsSilentInALockedSession) {
  workspace.windows = {};
  EXPECT_EQ(current(), std::nullopt);
  workspace.menuBarOwner = app(5, "org.example.Menu");
  EXPECT_EQ(current(), "org.example.Menu");
  workspace.frontmost = app(6, "org.example.Front");
  EXPECT_EQ(current(), "org.example.Front");
  auto noLocation = app(7, "org.example.Portable");
  noLocation.bundleUrl.reset();
  workspace.frontmost = noLocation;
  EXPECT_EQ(current(), "org.example.Menu");

  addApp(app(1, "org.example.Editor"));
  workspace.windows = {window(11, 1)};
  workspace.frontmost = app(8, "com.apple.loginwindow");
  EXPECT_EQ(current(), std::nullopt);
}

TEST(WindowInfoRecord, KeepsTheMemoryAndSharingOfItsWindowAndUserAppsHashAsTheyCompare) {
  platform::FakeWorkspace workspace;
  platform::Workspace::setSharedForTesting(&workspace);
  WindowRecord record = window(7, 1);
  record.memoryUsage = 1'234'567;
  WindowInfo info(record);
  EXPECT_EQ(info.memoryUsage, kit::Bytes(1'234'567));
  EXPECT_EQ(info.sharingState, platform::WindowSharingState::readWrite);
  platform::Workspace::setSharedForTesting(nullptr);

  using UserApp = WindowInfo::UserApp;
  auto location = [](const char* path) { return *platform::Url::fileUrl(path); };
  std::unordered_set<UserApp> apps = {{location("/apps/a.desktop"), {"org.example.A"}},
                                      {location("/apps/a.desktop"), {"org.example.A"}},
                                      {location("/apps/a.desktop"), {"org.example.Other"}},
                                      {location("/apps/b.desktop"), {"org.example.A"}}};
  EXPECT_EQ(apps.size(), 3u);
  EXPECT_EQ(apps.count({location("/apps/a.desktop"), {"org.example.Other"}}), 1u);
}

TEST(ResolvedName, ANameIsFoundForEveryProcessTheProgramNameBeforeTheBundle) {
  RunningApplication daemon{.pid = 42, .executableUrl = "/usr/lib/tools/sync-daemon.bin"};
  EXPECT_EQ(engine::resolvedName(daemon), "sync-daemon");
  daemon.localizedName = "Sync";
  EXPECT_EQ(engine::resolvedName(daemon), "Sync");
  EXPECT_EQ(engine::resolvedName({.pid = 42, .bundleUrl = "/apps/org.example.Notes.desktop"}), "org.example.Notes");
  EXPECT_EQ(engine::resolvedName({.pid = 42, .bundleIdentifier = "notes"}), "notes");
  EXPECT_EQ(engine::resolvedName({.pid = -1}), "<Unknown>");
  EXPECT_EQ(engine::resolvedName({.pid = 42}), "PID42");
}

}  // namespace
