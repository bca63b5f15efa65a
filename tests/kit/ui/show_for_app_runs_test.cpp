#include "kit/ui/show_for_app_runs.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <limits>

#include "kit/preferences/key.h"

namespace kit {
namespace {

int64_t stored(const std::string& id) {
  return Preferences::get(Preferences::Key<int64_t>("Zv_ShowForAppRuns_" + id, 0));
}

// A window holding the hint, shown and hidden as a tab would be.
struct HintHost {
  explicit HintHost(const ShowForAppRuns& rule) {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(hint);
    rule.apply(*hint);
  }
  // Shows the window and answers whether the hint is still up once the loop has run.
  bool appear() {
    window.show();
    QTest::qWait(20);
    const bool shown = hint->isVisible();
    window.hide();
    return shown;
  }
  QWidget window;
  QLabel* hint = new QLabel("→");
};

TEST(ShowForAppRunsTest, CountsOnlyRunsInWhichTheHintAppearsAndShowsItInsideItsWindow) {
  ShowForAppRuns::forgetRunForTesting();
  const ShowForAppRuns firstRunOnly{.count = 1, .id = "firstRunOnly"};
  {
    HintHost built(firstRunOnly);  // built but never shown: this run does not count
  }
  EXPECT_EQ(stored("firstRunOnly"), 0);
  HintHost first(firstRunOnly), again(firstRunOnly);
  EXPECT_TRUE(first.appear());
  EXPECT_TRUE(again.appear());  // the same run: counted once
  EXPECT_TRUE(first.appear());
  EXPECT_EQ(stored("firstRunOnly"), 1);

  ShowForAppRuns::forgetRunForTesting();  // the next run
  HintHost second(firstRunOnly);
  EXPECT_FALSE(second.appear());
  EXPECT_EQ(stored("firstRunOnly"), 2);

  const ShowForAppRuns thirdAndFourth{.count = 2, .id = "w", .startShowingFromAppRun = 3};
  EXPECT_FALSE(thirdAndFourth.showsInRun(2));
  EXPECT_TRUE(thirdAndFourth.showsInRun(3));
  EXPECT_TRUE(thirdAndFourth.showsInRun(4));
  EXPECT_FALSE(thirdAndFourth.showsInRun(5));
  EXPECT_FALSE((ShowForAppRuns{.count = 0, .id = "never"}.showsInRun(1)));
  const int64_t largest = std::numeric_limits<int64_t>::max();
  EXPECT_FALSE((ShowForAppRuns{.count = largest, .id = "x", .startShowingFromAppRun = -largest}.showsInRun(largest)));

  // A count edited by hand to the largest integer stays there; one removed starts again from 1.
  Preferences::set(Preferences::Key<int64_t>("Zv_ShowForAppRuns_edited", 0), largest);
  EXPECT_EQ(ShowForAppRuns::runCount("edited"), largest);
  Preferences::Key<int64_t>("Zv_ShowForAppRuns_edited", 0).reset();
  EXPECT_EQ(ShowForAppRuns::runCount("edited"), 1);
}

TEST(ShowForAppRunsTest, OncePerRunHidesTheHintAtLaterAppearances) {
  ShowForAppRuns::forgetRunForTesting();
  const ShowForAppRuns oncePerRun{.count = 5, .id = "oncePerRun", .oncePerAppRun = true};
  HintHost tab(oncePerRun), otherView(oncePerRun);
  EXPECT_TRUE(tab.appear());
  EXPECT_FALSE(tab.appear());
  EXPECT_FALSE(otherView.appear());
  ShowForAppRuns::forgetRunForTesting();
  HintHost nextRun(oncePerRun);
  EXPECT_TRUE(nextRun.appear());
}

}  // namespace
}  // namespace kit
