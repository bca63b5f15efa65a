#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <vector>

#include "kit/foundation/general_error.h"
#include "kit/ui/error_alert.h"
#include "kit/ui/menu.h"
#include "kit/ui/status_item_visibility.h"
#include "kit/ui/tooltip.h"
#include "platform/system/modifier_flags.h"
#include "support/recording_alert_presenter.h"

namespace kit {
namespace {

namespace Flag = platform::ModifierFlag;

TEST(ZvMenuTest, ReportsUpdateBeforeOpeningAndTheOpenStateToLateSubscribers) {
  ZvMenu menu;
  menu.addAction("Item");
  std::vector<std::string> events;
  auto updates = menu.needsUpdatePublisher().sink([&](const platform::rx::Unit&) { events.push_back("update"); });
  auto openStates = menu.isOpenPublisher().sink([&](bool open) { events.push_back(open ? "open" : "closed"); });
  menu.onUpdate = [&] { events.push_back("onUpdate"); };
  menu.onUpdateLegacy = [&](ZvMenu& updated) {
    EXPECT_EQ(&updated, &menu);
    events.push_back("onUpdateLegacy");
  };

  menu.popup(QPoint(10, 10));
  EXPECT_TRUE(menu.isOpen());
  bool lateSubscriberSaw = false;
  auto late = menu.isOpenPublisher().sink([&](bool open) { lateSubscriberSaw = open; });
  EXPECT_TRUE(lateSubscriberSaw);
  menu.hide();

  EXPECT_FALSE(menu.isOpen());
  EXPECT_EQ(events, (std::vector<std::string>{"closed", "update", "onUpdate", "onUpdateLegacy", "open", "closed"}));
}

TEST(CallbackMenuItemTest, KeyEquivalentsTakeCtrlUnlessModifiersAreGiven) {
  CallbackMenuItem plain("Quit", "q", std::nullopt, true, false, false, [] {});
  EXPECT_EQ(plain.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  CallbackMenuItem withModifiers("X", "q", Flag::option | Flag::command, true, false, false, [] {});
  EXPECT_EQ(withModifiers.shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Q));
  CallbackMenuItem superShift("X", ",", Flag::control | Flag::shift, true, false, false, [] {});
  EXPECT_EQ(superShift.shortcut(), QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_Comma));
  CallbackMenuItem none("X", "", std::nullopt, true, false, false, [] {});
  EXPECT_TRUE(none.shortcut().isEmpty());
}

TEST(QuitItemTest, QuitsAfterItsActionHasReturned) {
  QMenu menu;
  CallbackMenuItem* quit = addQuitItem(menu);
  EXPECT_EQ(quit->text(), "Quit Quillet");
  EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

  QTimer::singleShot(0, quit, [quit] { quit->trigger(); });
  QTimer::singleShot(5000, [] { QApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
}

TEST(TooltipTest, ShowOnceCountsPerIdentifierAndPlainTooltipsCountEveryShowing) {
  Tooltip once("onceTip", "Hi", {.showOnlyOnce = true});
  EXPECT_TRUE(once.showBelow(QPoint(100, 100)));
  once.close();
  Tooltip again("onceTip", "Hi", {.showOnlyOnce = true});
  EXPECT_FALSE(again.showBelow(QPoint(100, 100)));
  EXPECT_EQ(Tooltip::showCount("onceTip"), 1);

  Tooltip every("everyTip", "Hi", {.showOnlyOnce = false});
  EXPECT_TRUE(every.showBelow(QPoint(100, 100)));
  EXPECT_TRUE(every.showBelow(QPoint(100, 100)));
  EXPECT_EQ(Tooltip::showCount("everyTip"), 2);
}

TEST(TooltipTest, AClickClosesItBeforeTheActionRuns) {
  bool visibleDuringAction = true;
  Tooltip* tooltip = nullptr;
  Tooltip tip("clickTip", "Hi", {.closeOnClick = true, .onClick = [&] { visibleDuringAction = tooltip->isVisible(); }});
  tooltip = &tip;
  tip.showBelow(QPoint(100, 100));
  QTest::mouseClick(&tip, Qt::LeftButton);
  EXPECT_FALSE(visibleDuringAction);
  EXPECT_FALSE(tip.isVisible());
}

TEST(TooltipTest, WrapsInsideItsInsetsAndStaysNarrowForShortTexts) {
  Tooltip wide("wrapTip", std::string(400, 'w') + " end",
               {.maxWidth = 1000, .contentInsets = QMargins(26, 20, 26, 20)});
  EXPECT_EQ(wide.textWrapWidth(), 948);
  EXPECT_EQ(wide.label()->width(), 948);
  EXPECT_GT(wide.label()->height(), wide.label()->fontMetrics().height());

  Tooltip shortText("wrapTip", "Hello, I'm Quillet", {.maxWidth = 1000, .contentInsets = QMargins(26, 20, 26, 20)});
  EXPECT_LT(shortText.label()->width(), 948);
  EXPECT_EQ(shortText.label()->height(), shortText.label()->heightForWidth(shortText.label()->width()));
}

TEST(StatusItemVisibilityTest, HiddenOnlyWhenShownButNotPlacedByTheDesktop) {
  const std::string us = ":1.42";
  const StatusNotifierWatcherState listed{true, {":1.7/StatusNotifierItem", ":1.42/StatusNotifierItem"}};
  EXPECT_FALSE(isHiddenFromMenuBar(false, false, std::nullopt, us, false));  // we hid it ourselves
  EXPECT_TRUE(isHiddenFromMenuBar(true, false, std::nullopt, us, false));    // no tray at all
  EXPECT_FALSE(isHiddenFromMenuBar(true, true, listed, us, false));          // status-notifier items have no geometry
  EXPECT_FALSE(isHiddenFromMenuBar(true, true, StatusNotifierWatcherState{true, {us}}, us, false));
  EXPECT_TRUE(isHiddenFromMenuBar(true, true, StatusNotifierWatcherState{false, {us}}, us, false));
  EXPECT_TRUE(isHiddenFromMenuBar(true, true, StatusNotifierWatcherState{true, {":1.420"}}, us, false));
  EXPECT_FALSE(isHiddenFromMenuBar(true, true, std::nullopt, us, true));  // embedded with a place
  EXPECT_TRUE(isHiddenFromMenuBar(true, true, std::nullopt, us, false));  // embedded without one
}

// Errors as the settings rows get them.
struct RowError final : Error {
  std::string description;
  std::optional<std::string> reason, suggestion;
  UserInfo info;
  std::string typeOrCaseName() const override { return "RowError"; }
  std::optional<std::string> errorDescription() const override { return description; }
  std::optional<std::string> failureReason() const override { return reason; }
  std::optional<std::string> recoverySuggestion() const override { return suggestion; }
  UserInfo userInfo() const override { return info; }
};

TEST(ErrorAlertTest, MessageLeavesOutAReasonTheDescriptionAlreadySays) {
  RowError error;
  error.description = "The file could not be saved because the disk is full.";
  error.reason = "the disk is full";
  EXPECT_EQ(alertMessage(error), std::nullopt);
  error.suggestion = "Free some space.";
  EXPECT_EQ(alertMessage(error), "Free some space.");

  error.reason = "No space left.";
  EXPECT_EQ(alertMessage(error), "No space left.\n\nFree some space.");
  error.suggestion.reset();
  EXPECT_EQ(alertMessage(error), "No space left.");
}

std::vector<std::string> buttonTitles(const Alert& alert) {
  std::vector<std::string> titles;
  for (const auto& button : alert.buttons) titles.push_back(button.title);
  return titles;
}

TEST(ErrorAlertTest, TwoRecoveryOptionsAtMostThenCancelAndTheChosenPositionReachesTheAttempter) {
  std::vector<int64_t> attempted;
  auto attempter = std::make_shared<ErrorRecoveryAttempter>(std::vector<RecoveryOption>{{"A",
                                                                                         [&] {
                                                                                           attempted.push_back(0);
                                                                                           return true;
                                                                                         }},
                                                                                        {"B",
                                                                                         [&] {
                                                                                           attempted.push_back(1);
                                                                                           return true;
                                                                                         }},
                                                                                        {"C", [&] {
                                                                                           attempted.push_back(2);
                                                                                           return true;
                                                                                         }}});
  auto error = std::make_shared<RowError>();
  error->description = "Shortcut not saved";
  error->info = {{platform::userinfo::localizedRecoveryOptions, std::vector<std::string>{"A", "B", "C"}},
                 {platform::userinfo::recoveryAttempter, attempter}};
  EXPECT_EQ(buttonTitles(recoveryErrorAlert(*error)), (std::vector<std::string>{"A", "B", "Cancel"}));

  RecordingAlertPresenter presenter;
  setAlertPresenter(&presenter);
  bool dismissed = false;
  presenter.answer = alertFirstButtonReturn + 1;
  presentRecoveryErrorAlert(error, nullptr, [&] { dismissed = true; });
  presenter.answer = alertFirstButtonReturn + 2;  // "Cancel"
  presentRecoveryErrorAlert(error, nullptr);
  setAlertPresenter(nullptr);
  EXPECT_EQ(attempted, (std::vector<int64_t>{1}));
  EXPECT_TRUE(dismissed);
  EXPECT_EQ(presenter.alerts.front().messageText, "Shortcut not saved");

  // Options without an attempter, or an attempter without options: only the default dismiss button.
  error->info.erase(platform::userinfo::recoveryAttempter);
  EXPECT_EQ(buttonTitles(recoveryErrorAlert(*error)), (std::vector<std::string>{"OK"}));
  error->info = {{platform::userinfo::recoveryAttempter, attempter}};
  EXPECT_EQ(buttonTitles(recoveryErrorAlert(*error)), (std::vector<std::string>{"OK"}));
  error->info[platform::userinfo::localizedRecoveryOptions] = std::vector<std::string>{};
  EXPECT_EQ(buttonTitles(recoveryErrorAlert(*error)), (std::vector<std::string>{"Cancel"}));
}

}  // namespace
}  // namespace kit
