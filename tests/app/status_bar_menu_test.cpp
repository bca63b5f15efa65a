#include "app/status_bar_menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/status_item.h"
#include "app/welcome.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/foundation/alert.h"
#include "kit/preferences/key.h"
#include "kit/shortcuts/storage.h"
#include "platform/system/modifier_flags.h"
#include "support/recording_alert_presenter.h"

namespace app {
namespace {

namespace Keys = kit::Preferences::Keys;
namespace Flag = platform::ModifierFlag;
using platform::PasteboardType::html;
using platform::PasteboardType::string;

std::vector<std::string> titles(const QMenu& menu) {
  std::vector<std::string> result;
  for (QAction* action : menu.actions()) result.push_back(action->isSeparator() ? "-" : action->text().toStdString());
  return result;
}

QAction* item(const QMenu& menu, const std::string& title) {
  for (QAction* action : menu.actions()) {
    if (action->text().toStdString() == title) return action;
  }
  return nullptr;
}

class StatusBarMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::setAlertPresenter(&presenter);
    setAutomaticClearing(false);
  }
  void TearDown() override {
    engine_.reset();
    kit::setAlertPresenter(nullptr);
    kit::GlobalShortcuts::setShortcut(std::nullopt, kit::GlobalShortcuts::Names::toggleAutomaticallyClearFormatting());
  }

  void setAutomaticClearing(bool on) { kit::Preferences::set(Keys::automaticallyClearFormatting(), on); }

  engine::PasteboardController& engine() {
    if (!engine_) engine_ = std::make_unique<engine::PasteboardController>(pasteboard);
    return *engine_;
  }

  void build(StatusMenuState state = {}) { buildStatusMenu(menu, engine(), state); }

  void copyRichText() { pasteboard.setItems({{{html, string}, {{html, "<b>Bold</b> text"}, {string, "Bold text"}}}}); }
  // A pass over a copy that names its application leaves that application as the engine's source app.
  void cleanCopyFrom(const std::string& sourceApp) {
    const std::string marker = "org.nspasteboard.source";
    pasteboard.setItems({{{html, string, marker}, {{html, "<b>a</b>"}, {string, "a"}, {marker, sourceApp}}}});
    engine().clearFormatting();
  }

  platform::MemoryPasteboard pasteboard;
  std::unique_ptr<engine::PasteboardController> engine_;
  kit::ZvMenu menu;
  RecordingAlertPresenter presenter;
};

TEST_F(StatusBarMenuTest, TypicalMenuWithAutomaticClearingOffAndNothingToClear) {
  build();
  EXPECT_EQ(titles(menu), (std::vector<std::string>{"Clear Formatting Now", "-", "-", "Quick Settings",
                                                    "Automatically Clear Formatting", "-", "Settings…", "More", "-",
                                                    "-", "Quit Quillet"}));
  QAction* clear = item(menu, "Clear Formatting Now");
  EXPECT_FALSE(clear->isEnabled());
  EXPECT_EQ(clear->font().weight(), QFont::Normal);
  EXPECT_EQ(clear->toolTip().toStdString(), clearFormattingNowDisabledToolTip);

  QAction* toggle = item(menu, "Automatically Clear Formatting");
  EXPECT_TRUE(toggle->isCheckable());
  EXPECT_FALSE(toggle->isChecked());
  EXPECT_EQ(toggle->toolTip().toStdString(), automaticallyClearFormattingToolTip);
  EXPECT_FALSE(item(menu, "Quick Settings")->isEnabled());
  EXPECT_EQ(item(menu, "Settings…")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
  EXPECT_EQ(item(menu, "Quit Quillet")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

TEST_F(StatusBarMenuTest, WithAutomaticClearingOnThereIsNoClearItemAndTheSwitchIsChecked) {
  setAutomaticClearing(true);
  build();
  EXPECT_EQ(item(menu, "Clear Formatting Now"), nullptr);
  EXPECT_EQ(titles(menu).front(), "-");
  EXPECT_TRUE(item(menu, "Automatically Clear Formatting")->isChecked());
}

TEST_F(StatusBarMenuTest, ClearFormattingNowCleansRichContentAndForgetsAnEarlierSourceApp) {
  cleanCopyFrom("org.example.Earlier");
  copyRichText();
  build();
  QAction* clear = item(menu, "Clear Formatting Now");
  ASSERT_TRUE(clear->isEnabled());
  EXPECT_EQ(clear->font().weight(), QFont::DemiBold);
  EXPECT_NE(clear->toolTip().toStdString(), clearFormattingNowDisabledToolTip);

  ASSERT_EQ(engine().pasteboardItemSourceApp(), "org.example.Earlier");
  clear->trigger();
  EXPECT_EQ(pasteboard.string(string), "Bold text");
  EXPECT_FALSE(pasteboard.string(html).has_value());
  EXPECT_EQ(engine().pasteboardItemSourceApp(), std::nullopt);

  // Cleaned content leaves nothing to clear.
  build();
  EXPECT_FALSE(item(menu, "Clear Formatting Now")->isEnabled());
}

TEST_F(StatusBarMenuTest, TheSourceAppSectionNeedsExactlyAltAndAKnownSource) {
  cleanCopyFrom("org.example.NotInstalled");
  copyRichText();
  build({.modifierFlags = Flag::option});
  EXPECT_EQ(titles(menu), (std::vector<std::string>{"-", "Source App of Last Clipboard Item",
                                                    "org.example.NotInstalled", "-", "Clear Formatting Now", "-", "-",
                                                    "Quick Settings", "Automatically Clear Formatting", "-",
                                                    "Settings…", "More", "-", "-", "Quit Quillet"}));
  EXPECT_FALSE(item(menu, "org.example.NotInstalled")->isEnabled());
  EXPECT_TRUE(item(menu, "org.example.NotInstalled")->icon().isNull());

  build({.modifierFlags = Flag::option | Flag::capsLock | Flag::numericPad});
  EXPECT_NE(item(menu, "Source App of Last Clipboard Item"), nullptr);
  build({.modifierFlags = Flag::option | Flag::shift});
  EXPECT_EQ(item(menu, "Source App of Last Clipboard Item"), nullptr);
  engine().forgetSourceApp();
  build({.modifierFlags = Flag::option});
  EXPECT_EQ(item(menu, "Source App of Last Clipboard Item"), nullptr);
}

TEST_F(StatusBarMenuTest, DebugItemOnlyWithTheLaunchChord) {
  int shown = 0;
  build({.isDebugModifierChordHeld = true, .showDebugWindow = [&] { ++shown; }});
  const auto all = titles(menu);
  const std::vector<std::string> tail(all.end() - 5, all.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"More", "-", "Debug", "-", "Quit Quillet"}));
  item(menu, "Debug")->trigger();
  EXPECT_EQ(shown, 1);
}

TEST_F(StatusBarMenuTest, TheMoreSubmenuInOrder) {
  build();
  QMenu* more = item(menu, "More")->menu();
  ASSERT_NE(more, nullptr);
  EXPECT_EQ(titles(*more), (std::vector<std::string>{"About", "-", "Send Feedback…", "-", "Tips", "FAQ", "Website", "-",
                                                     "Share App", "More Apps by Me"}));
}

TEST_F(StatusBarMenuTest, EachOpeningRebuildsFromScratchAndTheSwitchFlipsThePreference) {
  menu.onUpdate = [this] { build(); };
  menu.popup(QPoint(10, 10));
  menu.hide();
  menu.popup(QPoint(10, 10));
  EXPECT_EQ(titles(menu).size(), 11u);
  item(menu, "Automatically Clear Formatting")->trigger();
  menu.hide();
  EXPECT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));
  menu.popup(QPoint(10, 10));
  EXPECT_EQ(item(menu, "Clear Formatting Now"), nullptr);
  EXPECT_TRUE(item(menu, "Automatically Clear Formatting")->isChecked());
  menu.hide();
}

TEST_F(StatusBarMenuTest, TheSwitchShowsTheToggleShortcutAndFollowsItsChangesWhileOpen) {
  const auto& name = kit::GlobalShortcuts::Names::toggleAutomaticallyClearFormatting();
  build();
  EXPECT_TRUE(item(menu, "Automatically Clear Formatting")->shortcut().isEmpty());
  kit::GlobalShortcuts::setShortcut(kit::GlobalShortcuts::Shortcut::make(96, 256), name);  // Ctrl+F5
  EXPECT_EQ(item(menu, "Automatically Clear Formatting")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F5));
  kit::GlobalShortcuts::setShortcut(std::nullopt, name);
  EXPECT_TRUE(item(menu, "Automatically Clear Formatting")->shortcut().isEmpty());
}

TEST(StatusItemClickTest, RightClickOrSuperClickToggleAndAPlainClickOpensTheMenu) {
  using enum StatusItemClickResult;
  const auto primary = StatusItemClick::primaryButton;
  EXPECT_EQ(routeStatusItemClick(StatusItemClick::secondaryButton, 0), primaryAction);
  EXPECT_EQ(routeStatusItemClick(StatusItemClick::secondaryButton, Flag::shift), primaryAction);
  EXPECT_EQ(routeStatusItemClick(primary, 0), showMenu);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::option), showMenu);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::command | Flag::shift), showMenu);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::capsLock), showMenu);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::control), primaryAction);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::control | Flag::capsLock | Flag::function), primaryAction);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::control | Flag::option), nothing);
  EXPECT_EQ(routeStatusItemClick(StatusItemClick::other, 0), nothing);
}

class MenuBarControllerTest : public StatusBarMenuTest {
 protected:
  std::unique_ptr<MenuBarController> makeController(bool firstLaunch = false) {
    auto controller = std::make_unique<MenuBarController>(&engine());
    controller->isFirstLaunch = [firstLaunch] { return firstLaunch; };
    controller->revealDuration = std::chrono::milliseconds(50);
    // start() runs on the main queue; a busy machine may take a while to get there.
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(controller->menu().onUpdate); }, 5000));
    return controller;
  }
};

TEST_F(MenuBarControllerTest, TheIconDimsWhileClearingIsOffIfAskedAndFollowsTheHideSetting) {
  kit::Preferences::set(Keys::dimMenuBarIconWhenDisabled(), true);
  auto controller = makeController();
  EXPECT_TRUE(controller->isStatusItemVisible());
  EXPECT_TRUE(controller->isIconDimmed());

  controller->handleStatusItemClick(StatusItemClick::secondaryButton, 0);
  EXPECT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));
  QTest::qWait(10);
  EXPECT_FALSE(controller->isIconDimmed());
  controller->handleStatusItemClick(StatusItemClick::primaryButton, Flag::control | Flag::option);
  EXPECT_TRUE(kit::Preferences::get(Keys::automaticallyClearFormatting()));

  setAutomaticClearing(false);
  kit::Preferences::set(Keys::dimMenuBarIconWhenDisabled(), false);
  QTest::qWait(10);
  EXPECT_FALSE(controller->isIconDimmed());

  kit::Preferences::set(Keys::hideMenuBarIcon(), true);
  QTest::qWait(10);
  EXPECT_FALSE(controller->isStatusItemVisible());
  kit::Preferences::set(Keys::hideMenuBarIcon(), false);
  QTest::qWait(10);
  EXPECT_TRUE(controller->isStatusItemVisible());
}

TEST_F(MenuBarControllerTest, AHiddenIconShowsAtStartAndGoesAfterTheRevealTime) {
  kit::Preferences::set(Keys::hideMenuBarIcon(), true);
  auto controller = makeController();
  EXPECT_TRUE(controller->isStatusItemVisible());
  QTest::qWait(100);
  EXPECT_FALSE(controller->isStatusItemVisible());
  controller->showStatusItem();
  EXPECT_TRUE(controller->isStatusItemVisible());
}

TEST_F(MenuBarControllerTest, TheWelcomeComesOnlyOnTheFirstLaunchAndReturnDoesNotDismissIt) {
  auto later = makeController(false);
  EXPECT_TRUE(presenter.alerts.empty());
  auto first = makeController(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !presenter.alerts.empty(); }, 5000));  // on the turn after the start
  ASSERT_EQ(presenter.alerts.size(), 1u);
  const kit::Alert& welcome = presenter.alerts.front();
  EXPECT_EQ(welcome.messageText, "Welcome to Quillet!");
  EXPECT_EQ(welcome.informativeText.find("Universal Clipboard"), std::string::npos);
  EXPECT_EQ(welcome.informativeText.front(), '\n');
  ASSERT_EQ(welcome.buttons.size(), 1u);
  EXPECT_EQ(welcome.buttons.front().title, "Get Started");
  EXPECT_NE(welcome.buttons.front().keyEquivalent, "\r");
  ASSERT_TRUE(welcome.accessory.has_value());
  EXPECT_EQ(welcome.accessory->width, 320);
}

}  // namespace
}  // namespace app
