// Rescue paths of the program on a private X server and session bus: the alert when no tray shows the icon (and
// its wait for an unlocked screen), and the modifier chords held at start: the user debug window, the offer to
// start over, and the "Debug" item of the tray menu. Screenshots go to diagnostics-screenshots/ beside the test
// programs.
#include <gtest/gtest.h>
#include <signal.h>

#include <QColor>
#include <QDBusConnection>
#include <QImage>
#include <QObject>
#include <filesystem>
#include <sstream>
#include <thread>

#include "program_support.h"
#include "x11_session_support.h"

namespace {

using namespace std::chrono_literals;
using programtest::busNameOwnerPid;
using programtest::waitFor;

constexpr const char* dontCheckTheIcon = "<key>Zv_NSStatusItem_ensureVisibility_shouldNotShowAgain</key><true/>\n";

// The screen saver of a desktop session, which the program asks whether the screen is locked.
class FakeScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  bool active = false;
  void setActive(bool value) {
    active = value;
    Q_EMIT ActiveChanged(value);
  }

 public Q_SLOTS:
  bool GetActive() { return active; }

 Q_SIGNALS:
  void ActiveChanged(bool active);
};

// Of the whole screen, or of one window (by its X id).
std::string screenshot(const std::string& name, const std::string& window = "root") {
  const std::filesystem::path folder = std::filesystem::path(QUILLET_BIN_DIR) / ".." / "diagnostics-screenshots";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / name).string();
  x11test::run({"import", "-window", window, path});
  return path;
}

// Whether a shown window of at least that width has this exact title (the tray icon's own window is small).
bool windowShown(const std::string& title, int minimumWidth = 100) {
  std::istringstream ids(x11test::run({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}));
  for (std::string id; std::getline(ids, id);) {
    const std::string geometry = x11test::run({"xdotool", "getwindowgeometry", id});
    const auto at = geometry.find("Geometry: ");
    if (at != std::string::npos && std::stoi(geometry.substr(at + 10)) >= minimumWidth) return true;
  }
  return false;
}
bool alertShown() { return windowShown("Quillet"); }

class Diagnostics : public ::testing::Test {
 protected:
  void SetUp() override {
    programtest::useHome(home_.path());
    // The lock is asked of the session's screen saver only: no system bus, so no logind of the machine.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent", 1);
  }
  void TearDown() override {
    instance_.reset();  // killed by its PID
    if (pid_t relaunched = busNameOwnerPid(); relaunched > 0) kill(relaunched, SIGTERM);
    EXPECT_TRUE(waitFor([] { return busNameOwnerPid() < 0; }));
  }

  void start(const std::string& preferences, const std::string& heldKeys = {}) {
    home_.write("config/com.kestrova.Quillet.plist", programtest::preferencesFile(preferences));
    if (!heldKeys.empty()) x11test::run({"xdotool", "keydown", heldKeys});
    instance_ = std::make_unique<x11test::ChildProcess>(std::vector<std::string>{programtest::quilletPath()});
    ASSERT_TRUE(waitFor([] { return busNameOwnerPid() > 0; }));
    if (!heldKeys.empty()) {
      std::this_thread::sleep_for(1500ms);  // held while the program reads them at its start
      x11test::run({"xdotool", "keyup", heldKeys});
    }
  }

  x11test::TemporaryFolder home_;
  std::unique_ptr<x11test::ChildProcess> instance_;
};

TEST_F(Diagnostics, WithoutATrayTheUserIsToldAfterAboutFiveSeconds) {
  start("");
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(waitFor(alertShown, 10s));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 4s);
  screenshot("menu-bar-item-did-not-appear.png");
}

TEST_F(Diagnostics, AnIconShownInATrayIsNotReported) {
  auto tray = programtest::startTray();
  start("");
  EXPECT_TRUE(waitFor([] { return programtest::trayIconCentre().has_value(); }, 5s));
  EXPECT_FALSE(waitFor(alertShown, 8s));
}

TEST_F(Diagnostics, TheCheckWaitsUntilTheScreenIsUnlocked) {
  x11test::ensureGuiApplication();
  FakeScreenSaver saver;
  saver.active = true;
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));
  ASSERT_TRUE(bus.registerObject("/org/freedesktop/ScreenSaver", &saver,
                                 QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
  start("");
  // The test's own loop answers the program's questions while it waits.
  EXPECT_FALSE(x11test::processEventsUntil(alertShown, 9s)) << "nothing while the screen is locked";
  saver.setActive(false);
  EXPECT_TRUE(x11test::processEventsUntil(alertShown, 4s));
  bus.unregisterObject("/org/freedesktop/ScreenSaver");
  bus.unregisterService("org.freedesktop.ScreenSaver");
}

TEST_F(Diagnostics, ShiftSuperAltAtStartOpensTheUserDebugWindow) {
  start(dontCheckTheIcon, "shift+super+alt");
  ASSERT_TRUE(waitFor([] { return windowShown("Quillet 1.0.0 — Debug"); }, 5s));
  screenshot("user-debug-window.png");
}

TEST_F(Diagnostics, OutlinesSwitchedOnInTheDeveloperSettingsFrameTheWidgetsOfTheNextStart) {
  start(dontCheckTheIcon + std::string("<key>NSShowAllViews</key><true/>\n"), "shift+super+alt");
  const std::string title = "Quillet 1.0.0 — Debug";
  ASSERT_TRUE(waitFor([&] { return windowShown(title); }, 5s));
  std::this_thread::sleep_for(500ms);  // drawn
  const std::string ids = x11test::run({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
  const QImage image(
      QString::fromStdString(screenshot("outlined-user-debug-window.png", ids.substr(0, ids.find('\n')))));
  ASSERT_FALSE(image.isNull());
  // The window's own outline runs down its left edge; without it the edge is the window's grey.
  const QColor edge = image.pixelColor(0, image.height() / 2);
  EXPECT_GT(edge.red(), edge.green() + 60) << edge.name().toStdString();
}

TEST_F(Diagnostics, ShiftSuperAltCtrlAtStartOffersToStartOverAndDeletesOnlyTheProgramsFiles) {
  const std::vector<std::string> ours{"data/com.kestrova.Quillet/state", "cache/com.kestrova.Quillet/cached"};
  // The login entry is the user's choice and outlives starting over.
  const std::vector<std::string> others{"data/com.kestrova.QuilletOld/keep", "cache/keep",
                                        "config/autostart/other.desktop", "config/other.plist",
                                        "config/autostart/com.kestrova.Quillet.desktop"};
  for (const auto& path : ours) home_.write(path, "ours");
  for (const auto& path : others) home_.write(path, "theirs");
  start(dontCheckTheIcon + std::string("<key>preserveLinks</key><true/>\n"), "shift+super+alt+ctrl");
  ASSERT_TRUE(waitFor(alertShown, 5s));
  screenshot("start-over-prompt.png");
  const pid_t first = instance_->pid();
  // "Cancel" has the focus; the next button is "Delete".
  x11test::run({"xdotool", "key", "Tab", "space"});

  ASSERT_TRUE(waitFor([&] { return busNameOwnerPid() > 0 && busNameOwnerPid() != first; }, 10s))
      << "the program ended and a new instance took over";
  for (const auto& path : ours) EXPECT_FALSE(std::filesystem::exists(home_.path() + "/" + path)) << path;
  for (const auto& path : others) EXPECT_TRUE(std::filesystem::exists(home_.path() + "/" + path)) << path;
  EXPECT_TRUE(std::filesystem::exists(home_.path() + "/data/Trash/files/com.kestrova.Quillet/state"));
  EXPECT_TRUE(waitFor(programtest::instanceAnswers));
}

TEST_F(Diagnostics, ShiftSuperAtStartAddsDebugToTheTrayMenuWhichOpensTheDeveloperWindow) {
  auto tray = programtest::startTray();
  start(dontCheckTheIcon, "shift+super");
  std::optional<std::pair<int, int>> icon;
  ASSERT_TRUE(waitFor([&] { return (icon = programtest::trayIconCentre()).has_value(); }, 5s));
  x11test::run({"xdotool", "mousemove", std::to_string(icon->first), std::to_string(icon->second), "click", "1"});
  std::this_thread::sleep_for(700ms);
  screenshot("tray-menu-with-debug.png");
  // From the bottom: "Quit Quillet", then "Debug".
  x11test::run({"xdotool", "key", "Up", "Up", "Return"});
  ASSERT_TRUE(waitFor([] { return windowShown("Debug", 800); }, 5s));
  screenshot("developer-debug-window.png");
}

}  // namespace

#include "diagnostics_test.moc"
