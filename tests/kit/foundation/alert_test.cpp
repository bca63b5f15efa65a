#include "kit/foundation/alert.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/recording_alert_presenter.h"

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
}

TEST(AlertPresenter, WithoutOneInstalledAlertsAreAnsweredWithTheirFirstButtonAndAGonePresenterUninstallsItself) {
  auto twoButtons =
      makeAlert("Title", std::nullopt, std::nullopt, kit::AlertStyle::warning, std::nullopt, {"Keep", "Cancel"});
  EXPECT_EQ(kit::alertPresenter().runModal(twoButtons).code, kit::alertFirstButtonReturn);
  int sheetAnswer = 0;
  kit::alertPresenter().beginSheet(twoButtons, nullptr,
                                   [&](kit::AlertResponse response) { sheetAnswer = response.code; });
  EXPECT_EQ(sheetAnswer, kit::alertFirstButtonReturn);

  auto presenter = std::make_unique<RecordingAlertPresenter>();
  presenter->answer = kit::alertFirstButtonReturn + 1;
  kit::setAlertPresenter(presenter.get());
  EXPECT_EQ(kit::alertPresenter().runModal(twoButtons).code, kit::alertFirstButtonReturn + 1);
  presenter.reset();
  EXPECT_EQ(kit::alertPresenter().runModal(twoButtons).code, kit::alertFirstButtonReturn);
}

}  // namespace
