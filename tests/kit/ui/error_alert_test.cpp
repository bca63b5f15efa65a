#include "kit/ui/error_alert.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "kit/foundation/general_error.h"
#include "support/recording_alert_presenter.h"

namespace kit {
namespace {

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
  auto option = [&](std::string title, int64_t position) {
    return RecoveryOption{std::move(title), [&attempted, position] {
                            attempted.push_back(position);
                            return true;
                          }};
  };
  auto attempter = std::make_shared<ErrorRecoveryAttempter>(
      std::vector<RecoveryOption>{option("A", 0), option("B", 1), option("C", 2)});
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

TEST(ErrorAlertTest, TheBindingsErrorIsShownUntilTheAlertIsDismissed) {
  RecordingAlertPresenter presenter;
  presenter.holdsSheets = true;
  setAlertPresenter(&presenter);
  QWidget window;
  auto* row = new QWidget(&window);
  window.show();
  Binding<std::shared_ptr<const Error>> error = errorAlert(*row);
  EXPECT_EQ(error.get(), nullptr);
  error.set(nullptr);
  EXPECT_TRUE(presenter.alerts.empty());

  auto first = std::make_shared<const GeneralError>("First");
  error.set(first);
  EXPECT_EQ(presenter.events, std::vector<std::string>{"sheet: First"});
  // Another binding of the same row sees the same error; a second error while the alert is up shows no second one.
  EXPECT_EQ(errorAlert(*row).get(), first);
  auto second = std::make_shared<const GeneralError>("Second");
  errorAlert(*row).set(second);
  EXPECT_EQ(presenter.alerts.size(), 1u);
  EXPECT_EQ(error.get(), second);

  presenter.dismissSheet();
  EXPECT_EQ(error.get(), nullptr);
  error.set(first);
  EXPECT_EQ(presenter.alerts.size(), 2u);
  // Writing none closes the alert, so that the next error has one of its own.
  error.set(nullptr);
  EXPECT_EQ(presenter.events.back(), "end sheet");
  error.set(second);
  EXPECT_EQ(presenter.alerts.size(), 3u);
  presenter.dismissSheet();

  // A recovery that fails again reports its new error, which gets an alert of its own.
  auto again = std::make_shared<const GeneralError>("Still not saved");
  auto retried =
      std::make_shared<const GeneralError>("Not saved", std::nullopt, std::vector<RecoveryOption>{{"Try Again", [&] {
                                                                                                     error.set(again);
                                                                                                     return false;
                                                                                                   }}});
  error.set(retried);
  presenter.dismissSheet();  // "Try Again"
  EXPECT_EQ(error.get(), again);
  presenter.dismissSheet();

  // A row that is not shown has no alert: it keeps the error. The binding outlives its row harmlessly.
  auto* hidden = new QWidget;
  Binding<std::shared_ptr<const Error>> orphan = errorAlert(*hidden);
  presenter.holdsSheets = false;
  presenter.events.clear();
  orphan.set(second);
  EXPECT_TRUE(presenter.events.empty());
  EXPECT_EQ(orphan.get(), second);
  delete hidden;
  orphan.set(first);
  EXPECT_EQ(orphan.get(), nullptr);
  setAlertPresenter(nullptr);
}

}  // namespace
}  // namespace kit
