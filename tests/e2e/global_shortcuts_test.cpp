#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/key_test_support.h"
#include "e2e/x11_session_support.h"
#include "kit/foundation/alert.h"
#include "kit/shortcuts/carbon_global_shortcuts.h"
#include "kit/shortcuts/handlers.h"
#include "kit/shortcuts/recorder.h"
#include "kit/shortcuts/storage.h"
#include "platform/core/executor.h"
#include "platform/core/task.h"
#include "platform/prefs/user_defaults.h"
#include "support/recording_alert_presenter.h"

namespace {

using kit::GlobalShortcuts::EventType;
using kit::GlobalShortcuts::Name;
using kit::GlobalShortcuts::Shortcut;
namespace gs = kit::GlobalShortcuts;

constexpr int64_t ctrlFlag = 256, shiftFlag = 512, altFlag = 2048;
constexpr uint16_t xControlMask = 0x04, xAltMask = 0x08;

class GlobalShortcutsTest : public x11test::SessionTest {
 protected:
  void TearDown() override { gs::removeAllHandlers(); }

  // A name with counting key-down and key-up closures.
  Name countedName(const std::string& raw) {
    Name name(raw);
    gs::onKeyDown(name, [this, raw] { downs.push_back(raw); });
    gs::onKeyUp(name, [this, raw] { ups.push_back(raw); });
    return name;
  }
  void press(const std::string& chord, size_t expectedUps = 1) {
    downs.clear();
    ups.clear();
    xdotool("key " + chord);
    x11test::processEventsUntil([&] { return ups.size() >= expectedUps; }, std::chrono::seconds(3));
    x11test::processEventsFor(std::chrono::milliseconds(expectedUps == 0 ? 400 : 100));
  }

  std::vector<std::string> downs, ups;
};

TEST_F(GlobalShortcutsTest, StoredShortcutFiresKeyDownAndKeyUpOnceEachAndIsStoredAsSpecifiedJson) {
  const Name name = countedName("e2eStored");
  gs::saveShortcut({40, ctrlFlag | shiftFlag}, name);

  press("ctrl+shift+k");
  EXPECT_EQ(downs, std::vector<std::string>{"e2eStored"});
  EXPECT_EQ(ups, std::vector<std::string>{"e2eStored"});

  xdotool("key Caps_Lock");
  press("ctrl+shift+k");
  xdotool("key Caps_Lock");
  EXPECT_EQ(ups.size(), 1u) << "with Caps Lock on";
  xdotool("key Num_Lock");
  press("ctrl+shift+k");
  xdotool("key Num_Lock");
  EXPECT_EQ(ups.size(), 1u) << "with Num Lock on";

  auto& defaults = platform::UserDefaults::standard();
  defaults.flush();
  std::ifstream file(defaults.filePath());
  std::stringstream content;
  content << file.rdbuf();
  EXPECT_NE(content.str().find("<key>GlobalShortcuts_e2eStored</key>"), std::string::npos) << content.str();
  EXPECT_NE(content.str().find("<string>{\"carbonKeyCode\":40,\"carbonModifiers\":768}</string>"), std::string::npos)
      << content.str();
}

TEST_F(GlobalShortcutsTest, ClearingOneNameKeepsAnotherNameWithTheSameCombinationFiring) {
  const Name first = countedName("e2eSharedFirst");
  const Name second = countedName("e2eSharedSecond");
  gs::saveShortcut({38, ctrlFlag | altFlag}, first);
  gs::saveShortcut({38, ctrlFlag | altFlag}, second);
  press("ctrl+alt+j", 2);
  EXPECT_EQ(ups.size(), 2u);

  first.setShortcut(std::nullopt);
  press("ctrl+alt+j");
  EXPECT_EQ(ups, std::vector<std::string>{"e2eSharedSecond"});

  gs::saveShortcut({37, ctrlFlag | altFlag}, second);  // re-saving moves it; the old combination is let go
  press("ctrl+alt+j", 0);
  EXPECT_TRUE(ups.empty());
  EXPECT_EQ(gs::registeredShortcuts().count(Shortcut{38, ctrlFlag | altFlag}), 0u);
  press("ctrl+alt+l");
  EXPECT_EQ(ups, std::vector<std::string>{"e2eSharedSecond"});
}

TEST_F(GlobalShortcutsTest, CombinationHeldByAnotherClientIsRetriedOnceItIsFree) {
  const Shortcut shortcut{45, ctrlFlag | altFlag};  // n
  auto other = std::make_unique<KeyGrabbingClient>();
  ASSERT_TRUE(other->grab(57, xControlMask | xAltMask));
  const Name name = countedName("e2eTaken");
  gs::saveShortcut(shortcut, name);
  EXPECT_EQ(gs::registeredShortcuts().count(shortcut), 0u) << "a refused registration is not held";

  other.reset();
  x11test::processEventsFor(std::chrono::milliseconds(100));
  gs::enable({name});
  EXPECT_EQ(gs::registeredShortcuts().count(shortcut), 1u);
  press("ctrl+alt+n");
  EXPECT_EQ(ups, std::vector<std::string>{"e2eTaken"});
}

TEST_F(GlobalShortcutsTest, SwitchingOffOrDisablingLetsGoOfTheSystemGrab) {
  const Name name = countedName("e2eSwitch");
  gs::saveShortcut({35, ctrlFlag | shiftFlag}, name);  // p
  press("ctrl+shift+p");
  ASSERT_EQ(ups.size(), 1u);

  gs::setEnabled(false);
  press("ctrl+shift+p", 0);
  EXPECT_TRUE(ups.empty());
  {
    KeyGrabbingClient other;
    EXPECT_TRUE(other.grab(33, xControlMask | 0x01)) << "the combination is free for others meanwhile";
  }
  x11test::processEventsFor(std::chrono::milliseconds(100));
  gs::setEnabled(true);
  press("ctrl+shift+p");
  EXPECT_EQ(ups.size(), 1u);

  gs::disable({name});
  press("ctrl+shift+p", 0);
  EXPECT_TRUE(ups.empty());
  gs::enable({name});
  press("ctrl+shift+p");
  EXPECT_EQ(ups.size(), 1u);

  xdotool("keydown ctrl+shift+p");
  ASSERT_TRUE(x11test::processEventsUntil([&] { return downs.size() == 2; }));
  gs::setEnabled(false);
  xdotool("keyup p keyup shift keyup ctrl");
  x11test::processEventsFor(std::chrono::milliseconds(300));
  EXPECT_EQ(ups.size(), 1u) << "let go while switched off";
  gs::setEnabled(true);
}

// A stream holds its name's combination while it lives; its end lets go of it unless a name with closures or another
// stream still stores it, and dropping every closure keeps what streams still use.
TEST_F(GlobalShortcutsTest, StreamsHoldTheirCombinationAsLongAsTheyOrClosuresNeedIt) {
  const Shortcut lone{40, ctrlFlag | shiftFlag}, shared{38, ctrlFlag | altFlag};  // k, j
  const Name streamed("e2eStreamOnly"), withClosures("e2eStreamShared"), sharing("e2eStreamSharing");
  gs::saveShortcut(lone, streamed);
  gs::saveShortcut(shared, withClosures);
  gs::saveShortcut(shared, sharing);
  std::vector<EventType> events;
  auto consume = [&](const Name& name) {
    return platform::spawn(platform::mainExecutor(), [stream = gs::events(name), &events]() -> platform::Task<void> {
      while (auto event = co_await stream.next()) events.push_back(*event);
    });
  };
  auto settle = [] { x11test::processEventsFor(std::chrono::milliseconds(100)); };

  auto only = consume(streamed);
  settle();
  EXPECT_EQ(gs::registeredShortcuts().count(lone), 1u);
  only.cancel();
  settle();
  EXPECT_EQ(gs::registeredShortcuts().count(lone), 0u) << "the only user of the combination ended";

  gs::onKeyUp(withClosures, [] {});
  auto ended = consume(sharing);
  settle();
  ended.cancel();
  settle();
  EXPECT_EQ(gs::registeredShortcuts().count(shared), 1u) << "closures of another name still use it";

  auto live = consume(sharing);
  gs::onKeyUp(streamed, [] {});
  settle();
  gs::removeAllHandlers();
  EXPECT_EQ(gs::registeredShortcuts().count(lone), 0u);
  EXPECT_EQ(gs::registeredShortcuts().count(shared), 1u) << "a live stream still uses it";
  xdotool("key ctrl+alt+j");
  x11test::processEventsUntil([&] { return events.size() >= 2; }, std::chrono::seconds(3));
  EXPECT_EQ(events, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
  live.cancel();
  settle();
}

TEST_F(GlobalShortcutsTest, OpenMenuSuspendsTheGrabAndTheCombinationStillWorksInside) {
  const Name name = countedName("e2eMenu");
  gs::saveShortcut({31, ctrlFlag | shiftFlag}, name);  // o
  QMenu menu;
  menu.addAction("Clear Formatting Now");
  menu.popup(QPoint(100, 100));
  ASSERT_TRUE(x11test::processEventsUntil([] { return gs::isMenuOpen(); }));
  x11test::processEventsFor(std::chrono::milliseconds(200));

  press("ctrl+shift+o");
  EXPECT_EQ(downs, std::vector<std::string>{"e2eMenu"});
  EXPECT_EQ(ups, std::vector<std::string>{"e2eMenu"});
  EXPECT_TRUE(menu.isVisible());

  menu.hide();
  ASSERT_TRUE(x11test::processEventsUntil([] { return !gs::isMenuOpen(); }));
  press("ctrl+shift+o");
  EXPECT_EQ(ups, std::vector<std::string>{"e2eMenu"}) << "grabbed again after the menu closed";
}

TEST_F(GlobalShortcutsTest, RecorderTakesRealKeysAndRefusesCombinationsOfOtherApplications) {
  RecordingAlertPresenter presenter;
  kit::setAlertPresenter(&presenter);
  const Name name("e2eRecorder");
  QWidget window;
  window.setWindowTitle("Shortcuts");
  auto* layout = new QVBoxLayout(&window);
  auto* recorder = new gs::Recorder(name);
  layout->addWidget(recorder);
  window.move(40, 40);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  // A key that another client grabs never reaches us. This one grabs it without the Num Lock variant, so
  // with Num Lock on the key reaches the field, and only the trial grab can tell that it is taken.
  KeyGrabbingClient other;
  ASSERT_TRUE(other.grab(58, xControlMask | xAltMask));  // m
  QTest::mouseClick(recorder, Qt::LeftButton);
  ASSERT_TRUE(recorder->isRecording());
  xdotool("key Num_Lock");
  xdotool("key ctrl+alt+m");
  x11test::processEventsUntil([&] { return !presenter.alerts.empty(); });
  xdotool("key Num_Lock");
  ASSERT_EQ(presenter.alerts.size(), 1u);
  EXPECT_EQ(presenter.alerts[0].messageText,
            "This keyboard shortcut cannot be used as it's already a system-wide keyboard shortcut.");
  EXPECT_EQ(presenter.alerts[0].informativeText,
            "Most system-wide keyboard shortcuts can be changed in your desktop's keyboard settings.");
  EXPECT_EQ(name.shortcut(), std::nullopt);
  EXPECT_TRUE(recorder->isRecording());

  // Keys are stored by position, so the stored code is the same on every layout.
  xdotool("key ctrl+shift+k");
  x11test::processEventsUntil([&] { return name.shortcut().has_value(); });
  EXPECT_EQ(name.shortcut(), (Shortcut{40, ctrlFlag | shiftFlag}));
  EXPECT_EQ(recorder->text(), "Ctrl+Shift+K");
  window.grab().save(QString(QUILLET_BIN_DIR) + "/shortcut_recorder.png");
  kit::setAlertPresenter(nullptr);
}

}  // namespace
