#include "kit/ui/throwing_task.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>

#include "kit/foundation/general_error.h"
#include "kit/ui/error_alert.h"
#include "kit/ui/on_screen_tracking.h"
#include "platform/core/sleep.h"
#include "support/manual_main_executor.h"
#include "support/recording_alert_presenter.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

class ThrowingTaskTest : public VirtualTimeTest {
 protected:
  // The binding an error alert shows, recording each write.
  Binding<std::shared_ptr<const platform::Error>> binding() {
    return {[this] { return errors.empty() ? nullptr : errors.back(); },
            [this](const std::shared_ptr<const platform::Error>& error) { errors.push_back(error); }};
  }
  std::vector<std::shared_ptr<const platform::Error>> errors;
};

TEST_F(ThrowingTaskTest, AThrownErrorIsWrittenOnceAsItWasThrownAndSuccessWritesNothing) {
  QWidget view;
  view.show();
  throwingTask(view, binding(), []() -> platform::Task<void> { co_return; });
  throwingTask(view, binding(), []() -> platform::Task<void> {
    co_await platform::sleepFor(1s);
    throw platform::PlatformError::posix(ENOSPC, "Saving");
  });
  throwingTask(view, binding(), []() -> platform::Task<void> {
    co_await platform::sleepFor(2s);
    throw std::runtime_error("disk full");
  });
  main.runUntilIdle();
  EXPECT_TRUE(errors.empty());

  clock.advance(1s);
  main.runUntilIdle();
  ASSERT_EQ(errors.size(), 1u);
  auto* thrown = dynamic_cast<const platform::PlatformError*>(errors[0].get());
  ASSERT_NE(thrown, nullptr) << "the error keeps its own type";
  EXPECT_EQ(thrown->code(), ENOSPC);

  clock.advance(1s);
  main.runUntilIdle();
  ASSERT_EQ(errors.size(), 2u);
  ASSERT_NE(dynamic_cast<const GeneralError*>(errors[1].get()), nullptr);
  EXPECT_EQ(errors[1]->localizedDescription(), "disk full");
}

TEST_F(ThrowingTaskTest, RunsWhileTheViewIsOnScreen) {
  QWidget view;
  int starts = 0;
  throwingTask(view, binding(), [&]() -> platform::Task<void> {
    ++starts;
    co_await platform::sleepFor(10s);
  });
  main.runUntilIdle();
  EXPECT_EQ(starts, 0) << "not before the view is shown";

  view.show();
  main.runUntilIdle();
  EXPECT_EQ(starts, 1);
  view.hide();
  main.runUntilIdle();
  ASSERT_EQ(errors.size(), 1u) << "the cancelled action's error is reported like any other";
  EXPECT_NE(dynamic_cast<const platform::CancellationError*>(errors[0].get()), nullptr);

  view.show();
  main.runUntilIdle();
  EXPECT_EQ(starts, 2) << "started again when the view comes back";
  clock.advance(10s);
  main.runUntilIdle();
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(ThrowingTaskTest, TheViewGoingCancelsTheTaskAndHearsNothing) {
  auto view = std::make_unique<QWidget>();
  view->show();
  bool ranToEnd = false;
  throwingTask(*view, binding(), [&]() -> platform::Task<void> {
    co_await platform::sleepFor(10s);
    ranToEnd = true;
  });
  main.runUntilIdle();
  view.reset();
  main.runUntilIdle();
  clock.advance(10s);
  main.runUntilIdle();
  EXPECT_FALSE(ranToEnd);
  EXPECT_TRUE(errors.empty()) << "the cancellation is not written into a view that is gone";
}

TEST_F(ThrowingTaskTest, AWindowClosedWhileItsTaskRunsShowsNoAlertAndAnUnwritableBindingTakesNothing) {
  RecordingAlertPresenter presenter;
  setAlertPresenter(&presenter);
  QWidget window;
  auto* view = new QWidget(&window);
  window.show();
  throwingTask(*view, errorAlert(*view), []() -> platform::Task<void> { co_await platform::sleepFor(10s); });
  throwingTask(*view, {[] { return nullptr; }, {}}, []() -> platform::Task<void> {
    co_await platform::sleepFor(1s);
    throw std::runtime_error("nowhere to go");
  });
  bindIsOnScreen(*view, {[] { return false; }, {}});
  main.runUntilIdle();
  clock.advance(1s);
  main.runUntilIdle();

  window.close();
  main.runUntilIdle();
  EXPECT_TRUE(presenter.alerts.empty());
  EXPECT_NE(dynamic_cast<const platform::CancellationError*>(errorAlert(*view).get().get()), nullptr)
      << "the binding still has the error";
  setAlertPresenter(nullptr);
}

TEST_F(ThrowingTaskTest, OptionalsMapOnlyTheirValue) {
  int calls = 0;
  auto twice = [&](int value) -> platform::Task<int> {
    ++calls;
    co_return value * 2;
  };
  auto none = platform::spawn(main, [&] { return asyncMap(std::optional<int>(), twice); });
  auto some = platform::spawn(main, [&] { return asyncMap(std::optional<int>(21), twice); });
  auto flat = platform::spawn(main, [&] {
    return asyncFlatMap(std::optional<int>(5),
                        [](int) -> platform::Task<std::optional<int>> { co_return std::nullopt; });
  });
  main.runUntilIdle();
  std::optional<int> noneResult, someResult, flatResult = 0;
  platform::spawn(main, [&]() -> platform::Task<void> {
    noneResult = co_await none;
    someResult = co_await some;
    flatResult = co_await flat;
  });
  main.runUntilIdle();
  EXPECT_EQ(noneResult, std::nullopt);
  EXPECT_EQ(someResult, 42);
  EXPECT_EQ(flatResult, std::nullopt);
  EXPECT_EQ(calls, 1);
}

struct Contact {
  std::string handle;
  std::string displayName;
  std::string id() const { return handle; }
  friend bool operator==(const Contact& a, const Contact& b) { return a.handle == b.handle; }
};

TEST(IdentifierHashTest, HashesIdentifiableValuesByTheirIdentifierAlone) {
  const IdentifierHash<Contact> hash;
  EXPECT_EQ(hash({"ada", "Ada"}), hash({"ada", "Ada Lovelace"}));
}

}  // namespace
}  // namespace kit
