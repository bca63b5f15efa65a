#include "platform/system/workspace.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <map>

#include "kit/app/status_item_visibility_check.h"
#include "platform/system/input_monitors.h"
#include "platform/system/modifier_flags.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"
#include "x11_session_support.h"

namespace {

using namespace std::chrono_literals;
namespace Flag = platform::ModifierFlag;

class DesktopSession : public x11test::SessionTest {
 protected:
};

TEST_F(DesktopSession, ModifierChangesOfTheWholeSessionArriveInOrder) {
  std::vector<uint64_t> flags;
  auto monitor = platform::InputMonitors::addGlobalMonitor(
      platform::eventMask(platform::EventType::flagsChanged), [&](const platform::Event& event) {
        EXPECT_EQ(event.type, platform::EventType::flagsChanged);
        flags.push_back(event.modifierFlags & Flag::deviceIndependentMask);
      });
  ASSERT_TRUE(monitor);
  x11test::processEventsFor(100ms);

  struct Step {
    const char* action;
    const char* key;
    uint64_t expected;
  };
  const Step steps[] = {{"keydown", "alt", Flag::option},
                        {"keydown", "shift", Flag::option | Flag::shift},
                        {"keyup", "alt", Flag::shift},
                        {"keydown", "ctrl", Flag::shift | Flag::command},
                        {"keydown", "super", Flag::shift | Flag::command | Flag::control},
                        {"keyup", "shift", Flag::command | Flag::control},
                        {"keyup", "ctrl", Flag::control},
                        {"keyup", "super", 0}};
  std::vector<uint64_t> expected;
  for (const auto& step : steps) {
    x11test::run({"xdotool", step.action, step.key});
    expected.push_back(step.expected);
    ASSERT_TRUE(x11test::processEventsUntil([&] { return flags.size() >= expected.size(); }))
        << step.action << " " << step.key;
    EXPECT_EQ(platform::InputMonitors::currentModifierFlags(), step.expected) << step.action << " " << step.key;
  }
  x11test::processEventsFor(100ms);
  EXPECT_EQ(flags, expected);

  // A removed monitor hears nothing more.
  platform::InputMonitors::removeMonitor(*monitor);
  x11test::run({"xdotool", "key", "shift"});
  x11test::processEventsFor(200ms);
  EXPECT_EQ(flags.size(), expected.size());
}

TEST_F(DesktopSession, ManagedWindowsAndActivationGiveApplicationEventsAndTheFrontmostApplication) {
  x11test::TemporaryFolder dataHome;
  dataHome.write("applications/org.example.Sleeper.desktop",
                 "[Desktop Entry]\nType=Application\nName=Sleeper\nExec=sleep 60\n");
  setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);

  auto& workspace = platform::Workspace::shared();
  std::vector<platform::ApplicationEvent> events;
  auto subscription = workspace.applicationEvents().sink([&](platform::ApplicationEvent e) { events.push_back(e); });

  // Without a window manager the test publishes what one would: the client list and the active window.
  x11test::ChildProcess sleeper({"sleep", "60"});
  x11test::SelectionOwner window(
      {.wmInstance = "sleeper", .wmClass = "Sleeper", .netWmPid = static_cast<uint32_t>(sleeper.pid())});
  xcb_window_t root = x11test::rootWindow();
  x11test::setCardinalProperty(root, "_NET_CLIENT_LIST", "WINDOW", {window.window()});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return !events.empty(); }));
  x11test::setCardinalProperty(root, "_NET_ACTIVE_WINDOW", "WINDOW", {window.window()});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return events.size() >= 2; }));
  x11test::processEventsFor(100ms);
  EXPECT_EQ(events, (std::vector{platform::ApplicationEvent::launch, platform::ApplicationEvent::activate}));

  auto frontmost = workspace.frontmostApplication();
  ASSERT_TRUE(frontmost);
  EXPECT_EQ(frontmost->pid, sleeper.pid());
  EXPECT_EQ(frontmost->bundleIdentifier, "org.example.Sleeper");
  EXPECT_EQ(frontmost->localizedName, "Sleeper");
  ASSERT_TRUE(frontmost->executableUrl);
  EXPECT_EQ(frontmost->executableUrl->filename(), "sleep");
  EXPECT_TRUE(frontmost->isActive);
  ASSERT_EQ(workspace.runningApplications().size(), 1u);

  // The window leaves: deactivation and termination.
  events.clear();
  x11test::setCardinalProperty(root, "_NET_ACTIVE_WINDOW", "WINDOW", {0});
  x11test::setCardinalProperty(root, "_NET_CLIENT_LIST", "WINDOW", {});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return events.size() >= 2; }));
  EXPECT_EQ(events, (std::vector{platform::ApplicationEvent::deactivate, platform::ApplicationEvent::terminate}));
  EXPECT_FALSE(workspace.frontmostApplication());

  subscription.cancel();
  unsetenv("XDG_DATA_HOME");
}

}  // namespace

namespace {

TEST_F(DesktopSession, WindowListGivesFrontToBackWindowsWithLevelOpacityBoundsAndOwner) {
  x11test::ChildProcess owner({"sleep", "60"});
  x11test::TestWindow back(10, 20, 300, 200);
  x11test::TestWindow panel(0, 0, 1280, 30);
  x11test::TestWindow menu(50, 60, 120, 90, /*overrideRedirect=*/true);
  x11test::setCardinalProperty(back.window(), "_NET_WM_PID", "CARDINAL", {static_cast<uint32_t>(owner.pid())});
  x11test::setCardinalProperty(back.window(), "_NET_WM_WINDOW_OPACITY", "CARDINAL", {0x7FFFFFFF});
  x11test::Client c;
  auto dock =
      platform::xcbReply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 24, "_NET_WM_WINDOW_TYPE_DOCK"), nullptr));
  x11test::setCardinalProperty(panel.window(), "_NET_WM_WINDOW_TYPE", "ATOM", {dock->atom});

  auto windows = platform::Workspace::shared().windowList(platform::WindowListOption::onScreenOnly);
  std::vector<uint32_t> ids;
  for (const auto& w : windows) ids.push_back(w.id);
  EXPECT_EQ(ids, (std::vector<uint32_t>{menu.window(), panel.window(), back.window()}));
  ASSERT_EQ(windows.size(), 3u);
  EXPECT_EQ(windows[0].level, platform::WindowLevel::mainMenu);
  EXPECT_EQ(windows[1].level, platform::WindowLevel::mainMenu);
  EXPECT_EQ(windows[2].level, platform::WindowLevel::normal);
  EXPECT_NEAR(windows[2].alpha, 0.5, 0.001);
  EXPECT_EQ(windows[2].bounds, (platform::Rect{10, 20, 300, 200}));
  EXPECT_EQ(windows[2].ownerPid, owner.pid());
  EXPECT_EQ(windows[2].ownerName, "sleep");
  EXPECT_FALSE(windows[2].fillsScreen);
  EXPECT_EQ(windows[2].sharingState, platform::WindowSharingState::readWrite);
}

TEST_F(DesktopSession, TheWindowListHoldsTheWindowsItsOptionsAskFor) {
  x11test::TestWindow shown(10, 20, 300, 200);
  x11test::TestWindow unmapped(30, 40, 300, 200);
  x11test::TestWindow background(0, 0, 1280, 800);
  x11test::Client c;
  auto desktopType =
      platform::xcbReply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 27, "_NET_WM_WINDOW_TYPE_DESKTOP"), nullptr));
  x11test::setCardinalProperty(background.window(), "_NET_WM_WINDOW_TYPE", "ATOM", {desktopType->atom});
  xcb_unmap_window(unmapped.connection(), unmapped.window());
  platform::xcbReply(
      xcb_get_input_focus_reply(unmapped.connection(), xcb_get_input_focus(unmapped.connection()), nullptr));

  // Of the three windows: each listed one and whether it is on screen.
  auto listed = [&](platform::WindowListOptions options) {
    std::map<uint32_t, bool> onScreen;
    for (const auto& w : platform::Workspace::shared().windowList(options)) {
      if (w.id == shown.window() || w.id == unmapped.window() || w.id == background.window())
        onScreen[w.id] = w.isOnScreen;
    }
    return onScreen;
  };
  using namespace platform::WindowListOption;
  EXPECT_EQ(listed(all), (std::map<uint32_t, bool>{
                             {shown.window(), true}, {unmapped.window(), false}, {background.window(), true}}));
  EXPECT_EQ(listed(onScreenOnly), (std::map<uint32_t, bool>{{shown.window(), true}, {background.window(), true}}));
  EXPECT_EQ(listed(onScreenOnly | excludeDesktopElements), (std::map<uint32_t, bool>{{shown.window(), true}}));
  EXPECT_EQ(listed(excludeDesktopElements),
            (std::map<uint32_t, bool>{{shown.window(), true}, {unmapped.window(), false}}));
}

TEST_F(DesktopSession, AWindowsMemoryUsageIsWhatTheServerHoldsForItsClient) {
  x11test::TestWindow plain(10, 20, 300, 200);
  x11test::TestWindow drawing(40, 50, 300, 200);
  // The second client keeps a 512 x 512 pixmap of the screen's depth: a megabyte at 32 bits a pixel.
  xcb_connection_t* client = drawing.connection();
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(client)).data;
  xcb_pixmap_t pixmap = xcb_generate_id(client);
  xcb_create_pixmap(client, screen->root_depth, pixmap, drawing.window(), 512, 512);
  platform::xcbReply(xcb_get_input_focus_reply(client, xcb_get_input_focus(client), nullptr));

  int64_t plainBytes = -1, drawingBytes = -1;
  for (const auto& w : platform::Workspace::shared().windowList(platform::WindowListOption::onScreenOnly)) {
    if (w.id == plain.window()) plainBytes = w.memoryUsage;
    if (w.id == drawing.window()) drawingBytes = w.memoryUsage;
  }
  EXPECT_GE(plainBytes, 0);
  EXPECT_GE(drawingBytes, plainBytes + int64_t{512} * 512 * 4);
  xcb_free_pixmap(client, pixmap);
}

TEST_F(DesktopSession, APanelAtTheBottomIsThePrimaryScreensBottomInset) {
  EXPECT_EQ(kit::primaryScreenBottomInset(), std::nullopt) << "nothing takes room yet";
  // What a desktop with a 40 pixel panel at the bottom of the 1280 x 800 screen announces.
  x11test::setCardinalProperty(x11test::rootWindow(), "_NET_WORKAREA", "CARDINAL", {0, 0, 1280, 760});
  EXPECT_TRUE(x11test::processEventsUntil([] { return kit::primaryScreenBottomInset() == 40.0; }))
      << "available: " << QGuiApplication::primaryScreen()->availableGeometry().height();
  // A panel on the left takes no room at the bottom.
  x11test::setCardinalProperty(x11test::rootWindow(), "_NET_WORKAREA", "CARDINAL", {48, 0, 1232, 800});
  EXPECT_TRUE(x11test::processEventsUntil([] { return !kit::primaryScreenBottomInset().has_value(); }));
}

}  // namespace

namespace {

TEST_F(DesktopSession, MinimisingAndRestoringAnotherApplicationsWindowGiveHideAndUnhide) {
  auto windowManager = x11test::startWindowManager();
  ASSERT_TRUE(windowManager);
  x11test::TestWindow other(100, 100, 400, 300);
  platform::X11Connection& x = *platform::X11Connection::shared();
  // Framed, and in the client list the workspace follows. Both: the window may have the number of a window that was
  // just destroyed and is still listed.
  ASSERT_TRUE(x11test::processEventsUntil([&] {
    const auto clients = x.property32(x.root(), "_NET_CLIENT_LIST").value_or(std::vector<uint32_t>{});
    return x.property32(other.window(), "_NET_FRAME_EXTENTS").has_value() &&
           std::find(clients.begin(), clients.end(), other.window()) != clients.end();
  }));

  std::vector<platform::ApplicationEvent> events;
  auto subscription = platform::Workspace::shared().applicationEvents().sink(
      [&](platform::ApplicationEvent e) { events.push_back(e); });
  auto seen = [&](platform::ApplicationEvent event) { return std::count(events.begin(), events.end(), event); };
  using platform::ApplicationEvent;
  x11test::run({"xdotool", "windowminimize", std::to_string(other.window())});
  EXPECT_TRUE(x11test::processEventsUntil([&] { return seen(ApplicationEvent::hide) == 1; }));
  x11test::run({"xdotool", "windowactivate", std::to_string(other.window())});
  EXPECT_TRUE(x11test::processEventsUntil([&] { return seen(ApplicationEvent::unhide) == 1; }));
  x11test::processEventsFor(200ms);
  EXPECT_EQ(seen(ApplicationEvent::hide), 1);
  EXPECT_EQ(seen(ApplicationEvent::unhide), 1);
}

}  // namespace
