#include "kit/foundation/error_presentation.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/manual_main_executor.h"
#include "support/recording_alert_presenter.h"

namespace {

class ErrorPresentation : public ManualMainExecutorTest {
 protected:
  void SetUp() override {
    ManualMainExecutorTest::SetUp();
    kit::setAlertPresenter(&presenter);
  }

  RecordingAlertPresenter presenter;
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
  const kit::Alert& shown = presenter.alerts.at(0);
  EXPECT_EQ(shown.informativeText, "Check the disk.");
  ASSERT_EQ(shown.buttons.size(), 2u);
  EXPECT_EQ(shown.buttons[0].title, "Retry");
  EXPECT_EQ(recovered, (std::vector<std::string>{"Give Up"}));

  // A system error without recovery options gets one "OK".
  kit::presentAsModal(platform::PlatformError::posix(ENOENT, "open"));
  main.runUntilIdle();
  EXPECT_EQ(presenter.events.back(), "modal: open: No such file or directory");
  EXPECT_EQ(presenter.alerts.back().buttons.at(0).title, "OK");
}

TEST_F(ErrorPresentation, TheAsyncFormEndsOnceTheAlertWasAnswered) {
  bool done = false;
  auto modal = platform::spawn(main, [&]() -> platform::Task<void> {
    co_await kit::presentAsModalAsync(kit::GeneralError("First."));
    done = true;
  });
  main.runUntilIdle();
  EXPECT_TRUE(done);
  EXPECT_EQ(presenter.events, (std::vector<std::string>{"activate", "modal: First."}));
}

}  // namespace
