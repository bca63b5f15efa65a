#include "kit/foundation/alert.h"

#include <gtest/gtest.h>

#include "kit/foundation/error_presentation.h"
#include "platform/core/executor.h"

namespace {

using kit::Alert;
using kit::makeAlert;

std::vector<std::string> returnKeyButtons(const Alert& alert) {
  std::vector<std::string> titles;
  for (const auto& button : alert.buttons) {
    if (button.keyEquivalent == "\r") titles.push_back(button.title);
  }
  return titles;
}

std::vector<bool> destructiveMarks(const Alert& alert) {
  std::vector<bool> marks;
  for (const auto& button : alert.buttons) marks.push_back(button.hasDestructiveAction);
  return marks;
}

TEST(AlertBuilder, ReturnGoesToTheDefaultButtonButNeverToADestructiveOne) {
  auto plain = makeAlert("Delete settings?", std::nullopt, std::nullopt, kit::AlertStyle::warning, std::nullopt,
                         {"OK", "Cancel"}, 0);
  EXPECT_EQ(returnKeyButtons(plain), (std::vector<std::string>{"OK"}));
  EXPECT_EQ(plain.buttons[1].keyEquivalent, "\x1b");
  EXPECT_EQ(destructiveMarks(plain), (std::vector<bool>{false, false}));

  auto destructive = makeAlert("Delete settings?", std::nullopt, std::nullopt, kit::AlertStyle::critical, std::nullopt,
                               {"OK", "Cancel"}, 0, {0});
  EXPECT_TRUE(returnKeyButtons(destructive).empty());
  EXPECT_EQ(destructiveMarks(destructive), (std::vector<bool>{true, false}));

  // The first button has Return of its own; -1 takes it away.
  auto none = makeAlert("Title", std::nullopt, std::nullopt, kit::AlertStyle::warning, std::nullopt, {"A", "B"}, -1);
  EXPECT_TRUE(returnKeyButtons(none).empty());
  auto second = makeAlert("Title", std::nullopt, std::nullopt, kit::AlertStyle::warning, std::nullopt, {"A", "B"}, 1);
  EXPECT_EQ(returnKeyButtons(second), (std::vector<std::string>{"B"}));

  auto outOfRange = makeAlert("Title", std::nullopt, std::nullopt, kit::AlertStyle::warning, std::nullopt,
                              {"OK", "Cancel"}, std::nullopt, {5, -1});
  EXPECT_EQ(destructiveMarks(outOfRange), (std::vector<bool>{false, false}));
  EXPECT_EQ(returnKeyButtons(outOfRange), (std::vector<std::string>{"OK"}));

  outOfRange.setDestructiveButtons({1});
  outOfRange.setDestructiveButtons({});
  EXPECT_EQ(destructiveMarks(outOfRange), (std::vector<bool>{false, false}));
  EXPECT_DEATH(outOfRange.setDefaultButton(2), "names no button");
}

TEST(AlertBuilder, AccessoryAreaFollowsDetailTextAndMinimumWidth) {
  auto aligned = makeAlert("Title", "Message", "Details");
  ASSERT_TRUE(aligned.accessory);
  EXPECT_EQ(aligned.accessory->width, 300);
  EXPECT_EQ(aligned.accessory->height, 120);
  EXPECT_TRUE(aligned.accessory->alignsWithMessage);
  EXPECT_EQ(aligned.informativeText, "Message");

  auto wide =
      makeAlert("Title", std::nullopt, "Details", kit::AlertStyle::warning, std::nullopt, {}, std::nullopt, {}, 400);
  EXPECT_EQ(wide.accessory->width, 400);
  EXPECT_FALSE(wide.accessory->alignsWithMessage);

  auto spacer =
      makeAlert("Title", std::nullopt, std::nullopt, kit::AlertStyle::warning, std::nullopt, {}, std::nullopt, {}, 320);
  EXPECT_EQ(spacer.accessory->width, 320);
  EXPECT_EQ(spacer.accessory->height, 0);
  EXPECT_FALSE(spacer.accessory->detailText);
  EXPECT_FALSE(makeAlert("Title").accessory);

  auto suppressible = makeAlert("Title", std::nullopt, std::nullopt, kit::AlertStyle::informational, std::nullopt, {},
                                std::nullopt, {}, std::nullopt, true, "Don't ask again");
  EXPECT_TRUE(suppressible.showsSuppressionButton);
  EXPECT_EQ(suppressible.suppressionButtonTitle, "Don't ask again");
  auto noCheckbox = makeAlert("Title", std::nullopt, std::nullopt, kit::AlertStyle::informational, std::nullopt, {},
                              std::nullopt, {}, std::nullopt, false, "Don't ask again");
  EXPECT_NE(noCheckbox.suppressionButtonTitle, "Don't ask again");
}

class RecordingPresenter final : public kit::AlertPresenter {
 public:
  kit::AlertResponse runModal(const Alert& alert) override {
    events.push_back("modal: " + alert.messageText);
    alerts.push_back(alert);
    return {answer, false};
  }
  void beginSheet(const Alert& alert, QWidget* window, std::function<void(kit::AlertResponse)> completion) override {
    events.push_back(std::string(window ? "sheet: " : "sheet without window: ") + alert.messageText);
    alerts.push_back(alert);
    pendingSheet = std::move(completion);
  }
  void activateApp() override { events.push_back("activate"); }

  void dismissSheet() {
    auto completion = std::move(pendingSheet);
    pendingSheet = nullptr;
    completion({answer, false});
  }

  int answer = kit::alertFirstButtonReturn;
  std::vector<std::string> events;
  std::vector<Alert> alerts;
  std::function<void(kit::AlertResponse)> pendingSheet;
};

class ErrorPresentation : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setMainExecutorForTesting(&main);
    kit::setAlertPresenterForTesting(&presenter);
  }
  void TearDown() override {
    kit::setAlertPresenterForTesting(nullptr);
    platform::setMainExecutorForTesting(nullptr);
  }

  platform::ManualExecutor main;
  RecordingPresenter presenter;
};

TEST_F(ErrorPresentation, ModalAlertIsQueuedOnMainActivatesFirstAndRunsTheChosenRecovery) {
  std::vector<std::string> recovered;
  kit::GeneralError error("Couldn't save.", "Check the disk.",
                          {{"Retry",
                            [&] {
                              recovered.push_back("Retry");
                              return true;
                            }},
                           {"Give Up", [&] {
                              recovered.push_back("Give Up");
                              return false;
                            }}});
  presenter.answer = kit::alertFirstButtonReturn + 1;
  kit::presentAsModal(error);
  EXPECT_TRUE(presenter.events.empty());
  main.runUntilIdle();
  EXPECT_EQ(presenter.events, (std::vector<std::string>{"activate", "modal: Couldn't save."}));
  const Alert& shown = presenter.alerts.at(0);
  EXPECT_EQ(shown.informativeText, "Check the disk.");
  ASSERT_EQ(shown.buttons.size(), 2u);
  EXPECT_EQ(shown.buttons[0].title, "Retry");
  EXPECT_EQ(recovered, (std::vector<std::string>{"Give Up"}));

  // Without a window the windowed form is the application-modal one.
  kit::presentAsModal(platform::PlatformError::posix(ENOENT, "open"), nullptr);
  main.runUntilIdle();
  EXPECT_EQ(presenter.events.back(), "modal: open: No such file or directory");
  EXPECT_EQ(presenter.alerts.back().buttons.at(0).title, "OK");
}

TEST_F(ErrorPresentation, AsyncFormsEndOnlyWhenTheAlertIsDismissed) {
  bool modalDone = false, sheetDone = false;
  auto modal = platform::spawn(main, [&]() -> platform::Task<void> {
    co_await kit::presentAsModalAsync(kit::GeneralError("First."));
    modalDone = true;
  });
  main.runUntilIdle();
  EXPECT_TRUE(modalDone);
  EXPECT_EQ(presenter.events, (std::vector<std::string>{"activate", "modal: First."}));

  auto sheet = platform::spawn(main, [&]() -> platform::Task<void> {
    co_await kit::present(kit::GeneralError("Second."), nullptr);
    sheetDone = true;
  });
  main.runUntilIdle();
  EXPECT_TRUE(sheetDone);

  auto waiting = platform::spawn(main, [&]() -> platform::Task<void> {
    co_await kit::presentAsSheet(kit::GeneralError("Third."), nullptr);
    sheetDone = false;
  });
  main.runUntilIdle();
  EXPECT_EQ(presenter.events.back(), "sheet without window: Third.");
  EXPECT_TRUE(sheetDone);
  presenter.dismissSheet();
  main.runUntilIdle();
  EXPECT_FALSE(sheetDone);
}

}  // namespace
