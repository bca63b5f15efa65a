#include "kit/ui/error_sheet.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "support/manual_main_executor.h"
#include "support/recording_alert_presenter.h"

namespace {

class ErrorSheet : public ManualMainExecutorTest {
 protected:
  void SetUp() override {
    ManualMainExecutorTest::SetUp();
    kit::setAlertPresenter(&presenter);
  }

  RecordingAlertPresenter presenter;
};

TEST_F(ErrorSheet, ShowsModalToAWindowThatStillExistsElseToTheApplication) {
  auto window = std::make_unique<QWidget>();
  kit::presentAsModal(kit::GeneralError("On the window."), window.get());
  main.runUntilIdle();
  EXPECT_EQ(presenter.events, (std::vector<std::string>{"sheet: On the window."}));

  // The window is closed before the queued alert comes up.
  kit::presentAsModal(kit::GeneralError("Window gone."), window.get());
  window.reset();
  main.runUntilIdle();
  EXPECT_EQ(presenter.events.back(), "sheet without window: Window gone.");

  kit::presentAsModal(platform::PlatformError::posix(ENOENT, "open"), nullptr);
  main.runUntilIdle();
  EXPECT_EQ(presenter.events.back(), "modal: open: No such file or directory");
}

TEST_F(ErrorSheet, ASheetShowsAtOnceAndRunsTheChosenRecoveryBeforeSayingItWasDismissed) {
  presenter.holdsSheets = true;
  presenter.answer = kit::alertFirstButtonReturn + 1;
  std::vector<std::string> steps;
  const kit::GeneralError error("Could not save.", "Try again?",
                                {{"Cancel", [&] { return steps.emplace_back("cancelled"), false; }},
                                 {"Try Again", [&] { return steps.emplace_back("tried again"), true; }}});
  auto window = std::make_unique<QWidget>();
  kit::presentErrorAsSheet(error, window.get(), [&] { steps.emplace_back("dismissed"); });
  ASSERT_EQ(presenter.events, (std::vector<std::string>{"sheet: Could not save."}));
  EXPECT_EQ(presenter.alerts.back().informativeText, "Try again?");
  EXPECT_TRUE(steps.empty());
  presenter.dismissSheet();
  EXPECT_EQ(steps, (std::vector<std::string>{"tried again", "dismissed"}));
}

TEST_F(ErrorSheet, AsyncFormsEndOnlyWhenTheAlertIsDismissed) {
  bool done = false;
  auto modal = platform::spawn(main, [&]() -> platform::Task<void> {
    co_await kit::present(kit::GeneralError("Second."), nullptr);
    done = true;
  });
  main.runUntilIdle();
  EXPECT_TRUE(done);
  EXPECT_EQ(presenter.events.back(), "modal: Second.");

  presenter.holdsSheets = true;
  auto sheet = platform::spawn(main, [&]() -> platform::Task<void> {
    co_await kit::presentAsSheet(kit::GeneralError("Third."), nullptr);
    done = false;
  });
  main.runUntilIdle();
  EXPECT_EQ(presenter.events.back(), "sheet without window: Third.");
  EXPECT_TRUE(done);
  presenter.dismissSheet();
  main.runUntilIdle();
  EXPECT_FALSE(done);
}

}  // namespace
